// X key symbols to the virtual-key codes that WM_KEYDOWN carries.
#pragma once

#include "winapi.h"

namespace platform::detail::x11 {

// Every key gives some code, so any key ends the saver; keys without a
// Windows counterpart give VK_OEM_CLEAR (0xFE).
UINT VirtualKeyOf(unsigned long keySymbol);

} // namespace platform::detail::x11
