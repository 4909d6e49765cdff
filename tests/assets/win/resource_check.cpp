// Hands the linked resources to the system's own loaders: the About dialog
// must build with its five controls and two icons, and icon group 100 must
// load at both sizes. Prints what fails; exit code 0 when all is well.

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "winapi.h"

namespace {

int failures = 0;

void Check(bool ok, const char *what) {
  if (!ok) {
    std::printf("FAIL: %s\n", what);
    ++failures;
  }
}

INT_PTR CALLBACK DialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

void CheckDialog(HINSTANCE instance) {
  HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(2003), nullptr,
                                   DialogProc, 0);
  Check(dialog != nullptr, "dialog 2003 is created");
  if (!dialog)
    return;
  char text[32] = {};
  GetWindowTextA(dialog, text, sizeof text);
  Check(std::strcmp(text, "Gushmire") == 0, "dialog title");
  // Children in template order: button, text, icon, text, icon.
  const char *const classes[] = {"Button", "Static", "Static", "Static",
                                 "Static"};
  int count = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT), ++count) {
    if (count >= 5)
      continue;
    GetClassNameA(child, text, sizeof text);
    Check(lstrcmpiA(text, classes[count]) == 0, "control class");
    if (count == 2 || count == 4)
      Check(SendMessageA(child, STM_GETICON, 0, 0) != 0, "icon 100 shown");
  }
  Check(count == 5, "five controls");
  text[0] = 0;
  if (HWND ok = GetDlgItem(dialog, IDOK))
    GetWindowTextA(ok, text, sizeof text);
  Check(std::strcmp(text, "OK") == 0, "OK button with id 1");
  DestroyWindow(dialog);
}

} // namespace

int main() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  CheckDialog(instance);
  for (int size : {32, 16}) {
    HANDLE icon =
        LoadImageA(instance, MAKEINTRESOURCEA(100), IMAGE_ICON, size, size, 0);
    ICONINFO info = {};
    Check(icon && GetIconInfo(static_cast<HICON>(icon), &info),
          "icon group 100 loads");
    BITMAP mask = {};
    if (info.hbmMask && GetObjectA(info.hbmMask, sizeof mask, &mask))
      Check(mask.bmWidth == size, "icon image of the asked size");
    for (HBITMAP bitmap : {info.hbmColor, info.hbmMask})
      if (bitmap)
        DeleteObject(bitmap);
    if (icon)
      DestroyIcon(static_cast<HICON>(icon));
  }
  std::printf("%s\n", failures ? "resource check failed" : "resources load");
  return failures ? 1 : 0;
}
