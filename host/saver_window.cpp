#include "saver_window.h"

#include "host_state.h"
#include "password.h"
#include "saver_procedure.h"

HWND saverWindow = nullptr;
DWORD mouseThreshold = 4;
POINT lastCursorPos = {0, 0};
HMODULE imeModule = nullptr;
ImmAssociateContextEntry immAssociateEntry = nullptr;
HANDLE previousInputContext = nullptr;

namespace {

const char saverClassName[] = "WindowsScreenSaverClass";
const char fullScreenTitle[] = "Screen Saver";
const char previewTitle[] = "Preview";
constexpr UINT saverClassStyle =
    CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
constexpr DWORD fullScreenStyle =
    WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD previewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr int iconGroup = 100;
static_assert(saverClassStyle == 0x2B);
static_assert(fullScreenStyle == 0x96000000u);
static_assert(previewStyle == 0x52000000u);

// The input method would otherwise take keys meant to close the saver.
void DetachInputMethod(HWND window) {
  imeModule = GetModuleHandleA("IMM32.DLL");
  if (imeModule == nullptr) {
    return;
  }
  immAssociateEntry =
      reinterpret_cast<ImmAssociateContextEntry>(reinterpret_cast<void (*)()>(
          GetProcAddress(imeModule, "ImmAssociateContext")));
  if (immAssociateEntry != nullptr) {
    previousInputContext = immAssociateEntry(window, nullptr);
  }
}

void RestoreInputMethod(HWND window) {
  if (imeModule != nullptr && immAssociateEntry != nullptr &&
      previousInputContext != nullptr) {
    immAssociateEntry(window, previousInputContext);
  }
}

// Sum of the axis distances, in unsigned arithmetic so that no cursor
// position can overflow it.
DWORD CursorTravel(POINT from, POINT to) {
  const auto distance = [](LONG a, LONG b) {
    return a >= b ? static_cast<DWORD>(a) - static_cast<DWORD>(b)
                  : static_cast<DWORD>(b) - static_cast<DWORD>(a);
  };
  return distance(to.x, from.x) + distance(to.y, from.y);
}

// Every monitor, not just the primary: one left uncovered would stay
// usable while the password guards the rest. Where the system reports no
// virtual screen, the primary monitor at (0, 0).
void CoverVirtualScreen(int *left, int *top, int *width, int *height) {
  *width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  *height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (*width > 0 && *height > 0) {
    *left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    *top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return;
  }
  *left = 0;
  *top = 0;
  *width = GetSystemMetrics(SM_CXSCREEN);
  *height = GetSystemMetrics(SM_CYSCREEN);
}

void RequestClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

bool IsBlockedSystemCommand(WPARAM command) {
  return command == SC_NEXTWINDOW || command == SC_PREVWINDOW ||
         command == SC_SCREENSAVE;
}

} // namespace

int RunSaverWindow(HWND parent) {
  WNDCLASSA windowClass = {};
  windowClass.style = saverClassStyle;
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = moduleInstance;
  windowClass.hIcon = LoadIconA(moduleInstance, MAKEINTRESOURCEA(iconGroup));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = saverClassName;

  DWORD exStyle = 0;
  DWORD style = 0;
  LPCSTR title = nullptr;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  if (parent != nullptr) {
    RECT client = {};
    GetClientRect(parent, &client);
    width = client.right;
    height = client.bottom;
    style = previewStyle;
    title = previewTitle;
    // WM_CREATE already reads it.
    previewFlag = 1;
  } else {
    CoverVirtualScreen(&left, &top, &width, &height);
    exStyle = WS_EX_TOPMOST;
    style = fullScreenStyle;
    title = fullScreenTitle;
    HWND running = FindWindowA(saverClassName, fullScreenTitle);
    if (running != nullptr && IsWindow(running)) {
      SetForegroundWindow(running);
      return 0;
    }
    LoadPasswordVerifier();
  }

  saverWindow = nullptr;
  if (RegisterClassA(&windowClass) != 0) {
    saverWindow =
        CreateWindowExA(exStyle, saverClassName, title, style, left, top, width,
                        height, parent, nullptr, moduleInstance, nullptr);
  }
  if (saverWindow == nullptr) {
    // No message was taken, so there is no quit code to report.
    UnloadPasswordVerifier();
    return -1;
  }
  if (parent == nullptr) {
    SetForegroundWindow(saverWindow);
  }
  MSG message = {};
  BOOL taken = 0;
  // GetMessageA's -1 (failure) ends the loop too, rather than spinning, and
  // is reported as a failure: the last message's wParam means nothing then.
  while ((taken = GetMessageA(&message, nullptr, 0, 0)) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  UnloadPasswordVerifier();
  return taken == 0 ? static_cast<int>(message.wParam) : -1;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  switch (message) {
  case WM_CREATE:
    DetachInputMethod(window);
    GetCursorPos(&lastCursorPos);
    if (previewFlag == 0) {
      SetCursor(nullptr);
    }
    break;
  case WM_DESTROY:
    RestoreInputMethod(window);
    PostQuitMessage(0);
    break;
  case WM_SETTEXT:
    return 0;
  case WM_PAINT:
    if (closingFlag != 0) {
      return DefWindowProcA(window, message, wParam, lParam);
    }
    if (previewFlag == 0) {
      SetCursor(nullptr);
    }
    break;
  case WM_HELP:
  case WM_CONTEXTMENU:
    if (previewFlag != 0) {
      // The preview's host dialog answers help requests.
      HWND parent = GetParent(window);
      if (parent != nullptr && IsWindow(parent)) {
        PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
      }
      return 1;
    }
    break;
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_MOUSEMOVE:
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    if (closingFlag != 0) {
      return DefWindowProcA(window, message, wParam, lParam);
    }
    break;
  case WM_SYSCOMMAND:
    if (previewFlag == 0 && IsBlockedSystemCommand(wParam)) {
      return 0;
    }
    break;
  case WM_TIMER:
    if (closingFlag != 0) {
      return 0;
    }
    Sleep(0);
    break;
  default:
    break;
  }
  return SaverProcedure(window, message, wParam, lParam);
}

LRESULT CALLBACK SaverFallbackProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
  if (previewFlag != 0 || closingFlag != 0) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == WM_CLOSE) {
    if (VerifyOnClose(window) != 0) {
      return DefWindowProcA(window, message, wParam, lParam);
    }
    // A resting mouse must not close the saver again at once.
    GetCursorPos(&lastCursorPos);
    return 0;
  }
  if (message == PasswordCheckMessage) {
    return verifyEntry != nullptr ? verifyEntry(window) : 1;
  }
  if (verifyingFlag != 0) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  switch (message) {
  case WM_SETCURSOR:
    SetCursor(nullptr);
    return 1;
  case WM_SHOWWINDOW:
    if (wParam != 0) {
      SetCursor(nullptr);
    }
    break;
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    RequestClose(window);
    break;
  case WM_MOUSEMOVE: {
    POINT cursor = {};
    GetCursorPos(&cursor);
    // Small moves add up against the remembered position.
    if (CursorTravel(lastCursorPos, cursor) > mouseThreshold) {
      RequestClose(window);
      lastCursorPos = cursor;
    }
    break;
  }
  default:
    break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
