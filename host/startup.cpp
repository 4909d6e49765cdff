#include "startup.h"

#include "guard.h"
#include "host_state.h"
#include "password.h"
#include "saver_window.h"

namespace {

constexpr WORD configureDialog = 2003;

bool IsSeparator(char c) { return c == ' ' || c == '-' || c == '/'; }

LPCSTR SkipBlanks(LPCSTR text) {
  while (*text == ' ') {
    ++text;
  }
  return text;
}

HWND WindowFromNumber(DWORD number) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(number));
}

// Only the first switch counts; what follows "s" and "c" is ignored.
int RunMode(LPCSTR tail) {
  LPCSTR text = tail;
  while (IsSeparator(*text)) {
    ++text;
  }
  switch (*text) {
  case '\0':
    return ShowConfigureBox(nullptr);
  case 'c':
  case 'C':
    return ShowConfigureBox(GetForegroundWindow());
  case 's':
  case 'S':
    return RunSaverWindow(nullptr);
  case 'a':
  case 'A':
    return StartPasswordChange(SkipBlanks(text + 1));
  case 'p':
  case 'P':
  case 'l':
  case 'L':
    return StartPreview(SkipBlanks(text + 1));
  default:
    return -1;
  }
}

} // namespace

int DispatchCommandLine(HINSTANCE instance, LPCSTR tail) {
  moduleInstance = instance;
  return RunGuarded(RunMode, tail != nullptr ? tail : "");
}

DWORD ParseDecimalHandle(LPCSTR text) {
  DWORD value = 0;
  if (text == nullptr) {
    return value;
  }
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + static_cast<DWORD>(*text - '0');
  }
  return value;
}

int StartPreview(LPCSTR text) {
  HWND parent = WindowFromNumber(ParseDecimalHandle(text));
  if (parent == nullptr || !IsWindow(parent)) {
    return -1;
  }
  return RunSaverWindow(parent);
}

int StartPasswordChange(LPCSTR text) {
  HWND owner = WindowFromNumber(ParseDecimalHandle(text));
  if (owner == nullptr || !IsWindow(owner)) {
    owner = GetForegroundWindow();
  }
  ChangePassword(owner);
  return 0;
}

int ShowConfigureBox(HWND owner) {
  if (!RegisterConfigureClasses(moduleInstance)) {
    return 0;
  }
  return static_cast<int>(DialogBoxParamA(moduleInstance,
                                          MAKEINTRESOURCEA(configureDialog),
                                          owner, ConfigureBoxProc, 0));
}

// The box uses only the system's own control classes.
BOOL RegisterConfigureClasses(HINSTANCE) { return 1; }

INT_PTR CALLBACK ConfigureBoxProc(HWND box, UINT message, WPARAM wParam,
                                  LPARAM) {
  switch (message) {
  case WM_INITDIALOG:
    // Lets the system give the default button the focus.
    return 1;
  case WM_COMMAND:
    if (wParam == IDOK || wParam == IDCANCEL) {
      EndDialog(box, 1);
      return 1;
    }
    return 0;
  default:
    return 0;
  }
}
