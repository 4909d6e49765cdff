#include "backends/x11/keys.h"

#include <X11/keysym.h>

namespace platform::detail::x11 {

UINT VirtualKeyOf(unsigned long k) {
  if (k >= XK_a && k <= XK_z) {
    return static_cast<UINT>(k - XK_a + 'A');
  }
  if (k >= XK_A && k <= XK_Z) {
    return static_cast<UINT>(k - XK_A + 'A');
  }
  if (k >= XK_0 && k <= XK_9) {
    return static_cast<UINT>(k - XK_0 + '0');
  }
  if (k >= XK_F1 && k <= XK_F24) {
    return static_cast<UINT>(k - XK_F1 + 0x70);
  }
  if (k >= XK_KP_0 && k <= XK_KP_9) {
    return static_cast<UINT>(k - XK_KP_0 + 0x60);
  }
  switch (k) {
  case XK_BackSpace:
    return 0x08;
  case XK_Tab:
  case XK_ISO_Left_Tab:
    return VK_TAB;
  case XK_Return:
  case XK_KP_Enter:
    return VK_RETURN;
  case XK_Shift_L:
  case XK_Shift_R:
    return VK_SHIFT;
  case XK_Control_L:
  case XK_Control_R:
    return VK_CONTROL;
  case XK_Alt_L:
  case XK_Alt_R:
  case XK_Meta_L:
  case XK_Meta_R:
    return VK_MENU;
  case XK_Pause:
    return 0x13;
  case XK_Caps_Lock:
    return 0x14;
  case XK_Escape:
    return VK_ESCAPE;
  case XK_space:
    return VK_SPACE;
  case XK_Prior:
    return 0x21;
  case XK_Next:
    return 0x22;
  case XK_End:
    return 0x23;
  case XK_Home:
    return 0x24;
  case XK_Left:
    return 0x25;
  case XK_Up:
    return 0x26;
  case XK_Right:
    return 0x27;
  case XK_Down:
    return 0x28;
  case XK_Insert:
    return 0x2D;
  case XK_Delete:
    return 0x2E;
  case XK_Super_L:
    return VK_LWIN;
  case XK_Super_R:
    return 0x5C;
  default:
    return 0xFE;
  }
}

} // namespace platform::detail::x11
