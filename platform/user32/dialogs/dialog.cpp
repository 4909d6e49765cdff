// Modal dialogs from templates: DialogBoxParamA, EndDialog, GetDlgItem.
//
// Dialog units become pixels through base units: x * width / 4 and
// y * height / 8, rounded, where width and height are the template font's
// average character width and line height (see control_paint.h), or a fixed
// 6 x 13 (MS Sans Serif at 8 points on a 96-dpi screen) when there is no
// font. The headless display draws no frames, so the window is its client
// area.
#include <map>

#include "core/backend.h"
#include "core/framebuffer.h"
#include "user32/dialogs/control_paint.h"
#include "user32/dialogs/dialog_controls.h"
#include "user32/dialogs/dialog_template.h"
#include "user32/window.h"

using namespace platform::detail;

namespace {

struct BaseUnits {
  int x = 6;
  int y = 13;
};

bool &DialogTextOn() {
  static bool on = true;
  return on;
}

BaseUnits UnitsOf(const DialogTemplate &t) {
  if ((t.style & DS_SETFONT) && DialogTextOn()) {
    if (const auto font = DialogFont(t.typeface, t.pointSize)) {
      return BaseUnits{font->averageWidth, font->lineHeight};
    }
  }
  DialogFont("", 0); // no text for this dialog
  return BaseUnits{};
}

struct FontObject : Object {
  static constexpr Kind kKind = Kind::Font;
  FontObject() : Object(kKind) {}
};

struct Dialog {
  DLGPROC procedure = nullptr;
  std::vector<HWND> controls; // template order, which is the tab order
  HWND focus = nullptr;       // restored when the dialog is activated
  WPARAM font = 0;
  bool ended = false;
  INT_PTR result = 0;
};

std::map<uintptr_t, Dialog *> &Dialogs() {
  static std::map<uintptr_t, Dialog *> dialogs;
  return dialogs;
}

Dialog *DialogOf(HWND window) {
  const auto found = Dialogs().find(HandleValue(window));
  return found == Dialogs().end() ? nullptr : found->second;
}

// MulDiv's rounding: to nearest, halves away from zero.
int Scale(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

bool Inside(HWND window, HWND dialog) {
  for (uintptr_t w = HandleValue(window); w != 0;) {
    if (w == HandleValue(dialog)) {
      return true;
    }
    const WindowObject *o = FindWindowObject(w);
    w = o != nullptr && (o->style & WS_CHILD) ? o->parent : 0;
  }
  return false;
}

bool TakesFocus(HWND control) {
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

HWND FirstTabStop(const Dialog &d) {
  for (HWND control : d.controls) {
    if (TakesFocus(control)) {
      return control;
    }
  }
  return nullptr;
}

// The next tab stop after `from` in template order, wrapping round; the
// first one when `from` is none of the controls.
HWND NextTabStop(const Dialog &d, HWND from) {
  const std::size_t n = d.controls.size();
  std::size_t at = n - 1;
  for (std::size_t i = 0; i < n; ++i) {
    if (d.controls[i] == from) {
      at = i;
    }
  }
  for (std::size_t step = 1; step <= n; ++step) {
    HWND next = d.controls[(at + step) % n];
    if (TakesFocus(next)) {
      return next;
    }
  }
  return nullptr;
}

// Return's command: the focused push button's, else the default push
// button's, else IDOK.
int ReturnCommand(const Dialog &d) {
  HWND focus = GetFocus();
  if (IsPushButton(focus) && FindWindowObject(focus) != nullptr) {
    return static_cast<WORD>(FindWindowObject(focus)->id);
  }
  for (HWND control : d.controls) {
    if (IsDefaultPushButton(control)) {
      return static_cast<WORD>(FindWindowObject(control)->id);
    }
  }
  return IDOK;
}

void Command(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(id),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The keyboard interface of a dialog: Return, Escape and Tab act on the
// dialog instead of reaching the focused control.
bool DialogKey(HWND dialog, Dialog &d, const MSG &message) {
  if (message.message != WM_KEYDOWN || !Inside(message.hwnd, dialog)) {
    return false;
  }
  switch (message.wParam) {
  case VK_RETURN:
    Command(dialog, ReturnCommand(d));
    return true;
  case VK_ESCAPE:
    Command(dialog, IDCANCEL);
    return true;
  case VK_TAB: {
    HWND next = NextTabStop(d, GetFocus());
    if (next != nullptr) {
      SetFocus(next);
    }
    return true;
  }
  default:
    return false;
  }
}

LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  Dialog *d = DialogOf(window);
  if (d == nullptr) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (d->procedure != nullptr) {
    const INT_PTR handled = d->procedure(window, message, wParam, lParam);
    if (handled != 0 || DialogOf(window) != d) {
      return handled;
    }
  }
  switch (message) {
  case WM_CLOSE:
    // The close box means Cancel; the dialog procedure decides.
    PostMessageA(window, WM_COMMAND, IDCANCEL,
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDCANCEL)));
    return 0;
  case WM_ACTIVATE:
    if ((wParam & 0xFFFF) == 0) {
      const HWND focus = GetFocus();
      d->focus = Inside(focus, window) && focus != window ? focus : d->focus;
      return 0;
    }
    if (IsWindow(d->focus)) {
      SetFocus(d->focus);
      return 0;
    }
    break;
  case WM_SETFONT:
    d->font = wParam;
    return 0;
  case WM_GETFONT:
    return static_cast<LRESULT>(d->font);
  default:
    break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Creates the template's controls; false if one cannot be created.
bool CreateControls(HWND dialog, Dialog &d, const DialogTemplate &t,
                    const BaseUnits &u, HINSTANCE instance) {
  for (const DialogItem &item : t.items) {
    const char *className = item.windowClass.ordinal != 0
                                ? ControlClassName(item.windowClass.ordinal)
                                : item.windowClass.name.c_str();
    if (className == nullptr || className[0] == '\0') {
      return false;
    }
    const LPCSTR text = item.text.ordinal != 0
                            ? MAKEINTRESOURCEA(item.text.ordinal)
                            : item.text.name.c_str();
    HWND control = CreateWindowExA(
        item.exStyle, className, text, item.style | WS_CHILD,
        Scale(item.x, u.x, 4), Scale(item.y, u.y, 8), Scale(item.width, u.x, 4),
        Scale(item.height, u.y, 8), dialog, ToHandle<HMENU>(item.id), instance,
        item.creationData.empty()
            ? nullptr
            : const_cast<BYTE *>(item.creationData.data()));
    if (control == nullptr) {
      return false;
    }
    d.controls.push_back(control);
    if (d.font != 0) {
      SendMessageA(control, WM_SETFONT, d.font, FALSE);
    }
  }
  return true;
}

// Where the dialog goes: centred on the primary monitor with DS_CENTER, else at
// its template position from the owner's client area (or the screen's corner).
POINT Placement(const DialogTemplate &t, const BaseUnits &u, HWND owner,
                int width, int height) {
  if (t.style & DS_CENTER) {
    const RECT primary = PrimaryMonitor(TheFramebuffer());
    return POINT{primary.left + (primary.right - primary.left - width) / 2,
                 primary.top + (primary.bottom - primary.top - height) / 2};
  }
  POINT at{Scale(t.x, u.x, 4), Scale(t.y, u.y, 8)};
  if (const WindowObject *o = FindWindowObject(owner)) {
    const POINT origin = ClientOrigin(*o);
    at.x += origin.x;
    at.y += origin.y;
  }
  return at;
}

void SetEnabled(uintptr_t window, bool enabled) {
  WindowObject *w = window == 0 ? nullptr : FindWindowObject(window);
  if (w == nullptr) {
    return;
  }
  if (enabled) {
    w->style &= ~WS_DISABLED;
  } else {
    w->style |= WS_DISABLED;
  }
  SendToWindow(window, WM_ENABLE, enabled ? TRUE : FALSE, 0);
}

std::optional<DialogTemplate> LoadTemplate(HINSTANCE instance, LPCSTR name) {
  HRSRC resource = FindResourceA(instance, name, RT_DIALOG);
  if (resource == nullptr) {
    return std::nullopt;
  }
  HGLOBAL loaded = LoadResource(instance, resource);
  std::optional<DialogTemplate> t = ReadDialogTemplate(
      LockResource(loaded), SizeofResource(instance, resource));
  FreeResource(loaded);
  return t;
}

// Runs the dialog's messages, and everyone else's, until EndDialog, the
// dialog's destruction or WM_QUIT (whose exit code comes back in `quit`).
void ModalLoop(HWND dialog, Dialog &d, std::optional<WPARAM> &quit) {
  MSG message;
  while (!d.ended && IsWindow(dialog)) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      quit = message.wParam;
      return;
    }
    if (got == -1) {
      return;
    }
    if (!DialogKey(dialog, d, message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

// Creates the dialog and its controls, runs it and destroys it again;
// -1 when it cannot be created. `disabledOwner` (0 for none) is enabled
// again before the dialog goes, so that activation can pass back to it.
INT_PTR RunDialog(const DialogTemplate &t, HINSTANCE instance, HWND owner,
                  uintptr_t foreignOwner, DLGPROC procedure, LPARAM param,
                  uintptr_t disabledOwner, std::optional<WPARAM> &quit) {
  RegisterDialogClasses(DialogProcedure);
  const std::string className =
      t.windowClass.Empty() ? "#32770" : t.windowClass.name;
  const BaseUnits u = UnitsOf(t);
  const int width = Scale(t.width, u.x, 4);
  const int height = Scale(t.height, u.y, 8);
  const POINT at = Placement(t, u, owner, width, height);
  HWND dialog = CreateWindowExA(
      t.exStyle, t.windowClass.ordinal != 0 ? nullptr : className.c_str(),
      t.title.c_str(), t.style & ~(WS_VISIBLE | WS_CHILD), at.x, at.y, width,
      height, owner, nullptr, instance, nullptr);
  if (dialog == nullptr) {
    SetEnabled(disabledOwner, true);
    return -1;
  }
  if (owner == nullptr) {
    TheBackend().ManageDialog(HandleValue(dialog), foreignOwner);
  }
  Dialog d;
  d.procedure = procedure;
  Dialogs()[HandleValue(dialog)] = &d;
  uintptr_t font = 0;
  if (t.style & DS_SETFONT) {
    font = AddObject(std::make_unique<FontObject>());
    SendMessageA(dialog, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  }
  INT_PTR result = -1;
  if (CreateControls(dialog, d, t, u, instance)) {
    HWND first = FirstTabStop(d);
    if (SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first),
                     param) != 0) {
      d.focus = first;
    }
    if (!d.ended && IsWindow(dialog)) {
      ShowWindow(dialog, SW_SHOWNORMAL);
      if (d.focus != nullptr) {
        SetFocus(d.focus);
      }
      ModalLoop(dialog, d, quit);
    }
    result = d.ended ? d.result : 0;
  }
  SetEnabled(disabledOwner, true);
  ShowWindow(dialog, SW_HIDE);
  Dialogs().erase(HandleValue(dialog));
  DestroyWindow(dialog);
  RemoveObject(font);
  return result;
}

} // namespace

void platform::detail::SetDialogText(bool on) { DialogTextOn() = on; }

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName,
                               HWND owner, DLGPROC procedure, LPARAM param) {
  const std::optional<DialogTemplate> t = LoadTemplate(instance, templateName);
  if (!t || (owner != nullptr && !IsWindow(owner)) || !t->menu.Empty()) {
    return -1;
  }
  // Another process's window (the foreground one, say) cannot own ours:
  // the dialog then stands alone, kept above it by the window manager.
  uintptr_t foreignOwner = 0;
  if (FindWindowObject(owner) == nullptr) {
    foreignOwner = HandleValue(owner);
    owner = nullptr;
  }
  // The owner's top-level window takes no input while the dialog runs.
  const uintptr_t ownerWindow =
      owner == nullptr ? 0 : RootOf(HandleValue(owner));
  const WindowObject *o = FindWindowObject(ownerWindow);
  const bool disabled = o != nullptr && (o->style & WS_DISABLED) == 0;
  if (disabled) {
    SetEnabled(ownerWindow, false);
  }
  std::optional<WPARAM> quit;
  const INT_PTR result = RunDialog(*t, instance, owner, foreignOwner, procedure,
                                   param, disabled ? ownerWindow : 0, quit);
  if (quit) {
    PostQuitMessage(static_cast<int>(*quit));
  }
  return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  Dialog *d = DialogOf(dialog);
  if (d == nullptr) {
    return FALSE;
  }
  d->ended = true;
  d->result = result;
  // Wakes the modal loop should it be waiting for a message.
  PostMessageA(dialog, WM_NULL, 0, 0);
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  for (uintptr_t child : ChildrenOf(HandleValue(dialog))) {
    const WindowObject *w = FindWindowObject(child);
    if (w != nullptr &&
        static_cast<uint32_t>(w->id) == static_cast<uint32_t>(id)) {
      return ToHandle<HWND>(child);
    }
  }
  return nullptr;
}
