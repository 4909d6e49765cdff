// The predefined control classes that dialog templates name by ordinal,
// and the dialog class itself.
#pragma once

#include "winapi.h"

namespace platform::detail {

// Registers "#32770", "BUTTON" and "STATIC" if they are not there (the
// layer's reset forgets classes).
void RegisterDialogClasses(LRESULT(CALLBACK *dialogProcedure)(HWND, UINT,
                                                              WPARAM, LPARAM));

// The class name of a predefined control ordinal (0x80 button to 0x85
// combo box); nullptr for any other ordinal.
const char *ControlClassName(WORD ordinal);

// A control's push-button kind: true for BS_PUSHBUTTON and
// BS_DEFPUSHBUTTON buttons.
bool IsPushButton(HWND control);
bool IsDefaultPushButton(HWND control);

} // namespace platform::detail
