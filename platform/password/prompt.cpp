// PASSWORD.CPL's VerifyScreenSavePwd: a modal prompt drawn by the layer as a
// child of the saver window, which keeps animating behind it. The check
// itself belongs to whoever called ProvidePasswordCheck (a lock's PAM
// process); the prompt only hands the typed bytes on and waits, dispatching.
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/backend.h"
#include "core/framebuffer.h"
#include "core/rect.h"
#include "core/utf8.h"
#include "layer.h"
#include "user32/dialogs/control_paint.h"

namespace platform {
namespace {

constexpr char kPromptClass[] = "GushmirePasswordPrompt";
constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT kIdleMs = 30000; // a forgotten prompt goes, as lock screens do
constexpr std::size_t kMaxCodePoints = 256;
constexpr std::size_t kMaxBytes = kMaxCodePoints * 4;
constexpr std::size_t kShownMarks = 24;
// Win32's values, beyond what winapi.h declares.
constexpr WPARAM kBackKey = 0x08;    // VK_BACK
constexpr UINT kKeyFirst = 0x0100;   // WM_KEYFIRST
constexpr UINT kKeyLast = 0x0109;    // WM_KEYLAST
constexpr UINT kMouseFirst = 0x0200; // WM_MOUSEFIRST
constexpr UINT kMouseLast = 0x020E;  // WM_MOUSELAST
constexpr int kButtonFace = 15;      // COLOR_BTNFACE

PasswordCheck provided{};
bool refusedLast = false; // the next prompt says so

// The one copy of what is typed; static so that no stack frame keeps it and
// every exit wipes the same place.
struct Typed {
  char bytes[kMaxBytes];
  std::size_t size = 0;
  std::size_t codePoints = 0;
} typed;

struct Prompt {
  HWND window = nullptr;
  bool checking = false;
  bool sayRefused = false;
  int points = 10;
  std::string user;
} prompt;

// The saver's pixels under the prompt, as the saver last drew them: put
// back before each of its steps, so it draws on its own picture, and when
// the prompt goes, so no prompt is left on the screen (what CS_SAVEBITS
// does for a popup).
struct SaveUnder {
  RECT area{}; // on the framebuffer
  std::vector<uint32_t> pixels;
} under;

template <typename Copy> void EachRow(Copy copy) {
  detail::Framebuffer &f = detail::TheFramebuffer();
  const RECT part =
      detail::Intersect(under.area, RECT{0, 0, f.width, f.height});
  if (detail::Empty(part) ||
      f.pixels.size() < static_cast<std::size_t>(f.width) * f.height) {
    return;
  }
  const auto width = static_cast<std::size_t>(part.right - part.left);
  std::size_t kept = 0;
  for (LONG row = part.top; row < part.bottom; ++row, kept += width) {
    copy(f.pixels.data() + static_cast<std::size_t>(row) * f.width + part.left,
         kept, width);
  }
}

// `area`: screen coordinates.
void KeepUnder(const RECT &area) {
  const detail::Framebuffer &f = detail::TheFramebuffer();
  under.area = RECT{area.left - f.originX, area.top - f.originY,
                    area.right - f.originX, area.bottom - f.originY};
  under.pixels.clear();
  EachRow([](const uint32_t *row, std::size_t, std::size_t width) {
    under.pixels.insert(under.pixels.end(), row, row + width);
  });
}
void KeepUnder() {
  EachRow([](const uint32_t *row, std::size_t at, std::size_t width) {
    std::copy(row, row + width, under.pixels.begin() + static_cast<long>(at));
  });
}
void PutBackUnder() {
  EachRow([](uint32_t *row, std::size_t at, std::size_t width) {
    std::copy_n(under.pixels.begin() + static_cast<long>(at), width, row);
  });
  const detail::Framebuffer &f = detail::TheFramebuffer();
  detail::TheBackend().Present(
      detail::Intersect(under.area, RECT{0, 0, f.width, f.height}));
}

void Wipe() {
  explicit_bzero(typed.bytes, sizeof typed.bytes);
  typed.size = 0;
  typed.codePoints = 0;
}

// Printable ASCII only: the dialog font draws bytes as Latin-1.
std::string UserName() {
  const passwd *entry = getpwuid(getuid());
  const char *name = entry != nullptr ? entry->pw_name : std::getenv("USER");
  std::string shown;
  for (const char *c = name != nullptr ? name : ""; *c != 0; ++c) {
    if (shown.size() == 64) {
      break;
    }
    shown += *c >= 0x20 && *c < 0x7F ? *c : '?';
  }
  return shown;
}

void Draw(HWND window) {
  RECT client{};
  if (!GetClientRect(window, &client)) {
    return;
  }
  HDC dc = GetDC(window);
  SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  ReleaseDC(window, dc);
  detail::DrawButtonFrame(window, false);
  const auto font = detail::DialogFont("MS Shell Dlg", prompt.points);
  if (!font) {
    return;
  }
  const int line = font->lineHeight;
  const int margin = font->averageWidth * 2;
  const int top = (client.bottom - 4 * line) / 2;
  const auto row = [&](int index, const std::string &text) {
    const RECT box{margin, top + index * line, client.right - margin,
                   top + (index + 1) * line};
    detail::DrawTextInBox(window, text, box, SS_CENTER);
  };
  row(0, prompt.user);
  row(1,
      "Password: " + std::string(std::min(typed.codePoints, kShownMarks), '*') +
          (typed.codePoints > kShownMarks ? "..." : ""));
  if (prompt.checking) {
    row(3, "Checking...");
  } else if (prompt.sayRefused) {
    row(3, "Wrong password");
  }
}

LRESULT CALLBACK PromptProc(HWND window, UINT message, WPARAM wParam,
                            LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    Draw(window);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Appends a typed character; controls, surrogates, non-characters beyond
// Unicode and anything past the cap are dropped.
void Append(WPARAM codePoint) {
  if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0) ||
      (codePoint >= 0xD800 && codePoint < 0xE000) || codePoint > 0x10FFFF ||
      typed.codePoints == kMaxCodePoints) {
    return;
  }
  char utf8[4];
  const std::size_t length =
      detail::EncodeUtf8(static_cast<uint32_t>(codePoint), utf8);
  std::memcpy(typed.bytes + typed.size, utf8, length);
  explicit_bzero(utf8, sizeof utf8);
  typed.size += length;
  ++typed.codePoints;
}

void DeleteLast() {
  while (typed.size > 0) {
    const char dropped = typed.bytes[--typed.size];
    typed.bytes[typed.size] = 0;
    if ((dropped & 0xC0) != 0x80) {
      --typed.codePoints;
      return;
    }
  }
}

// What the prompt's own input does: nullopt to go on, else the result.
std::optional<BOOL> PromptInput(const MSG &message) {
  if (message.message == WM_TIMER) {
    return message.wParam == kIdleTimer ? std::optional<BOOL>(FALSE)
                                        : std::nullopt;
  }
  SetTimer(prompt.window, kIdleTimer, kIdleMs, nullptr);
  if (message.message == WM_CHAR) {
    Append(message.wParam);
  } else if (message.wParam == VK_ESCAPE) {
    return FALSE;
  } else if (message.wParam == kBackKey) {
    DeleteLast();
  } else if (message.wParam == VK_RETURN && typed.size > 0) {
    KillTimer(prompt.window, kIdleTimer);
    // A check that cannot start counts as refused.
    prompt.checking = true;
    if (provided.start == nullptr ||
        !provided.start(std::span<const char>(typed.bytes, typed.size))) {
      return FALSE;
    }
    return std::nullopt;
  } else {
    return std::nullopt;
  }
  prompt.sayRefused = false;
  return std::nullopt;
}

bool IsInput(UINT message) {
  return (message >= kKeyFirst && message <= kKeyLast) ||
         (message >= kMouseFirst && message <= kMouseLast);
}

// The modal loop: everything but input is dispatched, so the saver's timers
// run on; its steps draw over the prompt, which is drawn again after them.
BOOL RunPrompt() {
  MSG message;
  while (IsWindow(prompt.window)) {
    if (prompt.checking) {
      const int verdict = provided.verdict != nullptr ? provided.verdict() : 0;
      if (verdict >= 0) {
        return verdict == 1 ? TRUE : FALSE;
      }
    }
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return FALSE;
    }
    if (got == -1) {
      return FALSE;
    }
    if (message.hwnd == prompt.window && !prompt.checking &&
        (message.message == WM_TIMER || message.message == WM_CHAR ||
         message.message == WM_KEYDOWN)) {
      if (const std::optional<BOOL> result = PromptInput(message)) {
        return *result;
      }
      // A burst of typing is drawn once, at its end.
      MSG next;
      if (!PeekMessageA(&next, prompt.window, kKeyFirst, kKeyLast,
                        PM_NOREMOVE)) {
        Draw(prompt.window);
      }
      continue;
    }
    if (IsInput(message.message) || message.hwnd == prompt.window) {
      // Input would queue close requests; the prompt's other messages
      // (its idle timer while checking) mean nothing.
      if (message.message == WM_PAINT) {
        DispatchMessageA(&message);
      }
      continue;
    }
    const bool draws =
        message.message == WM_TIMER || message.message == WM_PAINT;
    if (draws) {
      PutBackUnder();
    }
    DispatchMessageA(&message);
    if (draws) {
      KeepUnder();
      Draw(prompt.window);
    }
  }
  return FALSE;
}

// Sized for the screen: a third of the saver's width, at least 320 x 120,
// more on big screens, never beyond the saver.
RECT Placement(HWND saver, int scale) {
  RECT client{};
  GetClientRect(saver, &client);
  const int width =
      std::min<int>(client.right, std::max<int>(client.right / 3, 320 * scale));
  const int height = std::min<int>(client.bottom, 120 * scale);
  const int x = (client.right - width) / 2;
  const int y = (client.bottom - height) / 2;
  return RECT{x, y, x + width, y + height};
}

BOOL WINAPI VerifyScreenSavePwd(HWND saver) {
  if (prompt.window != nullptr || !IsWindow(saver)) {
    return FALSE;
  }
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = PromptProc;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(kButtonFace + 1);
  windowClass.lpszClassName = kPromptClass;
  RegisterClassA(&windowClass);
  RECT client{};
  GetClientRect(saver, &client);
  const int scale = std::clamp<int>(client.bottom / 720, 1, 6);
  const RECT at = Placement(saver, scale);
  prompt = Prompt{};
  prompt.points = 10 * scale;
  prompt.sayRefused = refusedLast;
  prompt.user = UserName();
  // The saver has no frame: its client area starts at its corner.
  RECT place{};
  GetWindowRect(saver, &place);
  KeepUnder(RECT{place.left + at.left, place.top + at.top,
                 place.left + at.right, place.top + at.bottom});
  prompt.window = CreateWindowExA(
      0, kPromptClass, "", WS_CHILD | WS_VISIBLE, at.left, at.top,
      at.right - at.left, at.bottom - at.top, saver, nullptr, nullptr, nullptr);
  BOOL accepted = FALSE;
  if (prompt.window != nullptr) {
    HWND previousFocus = SetFocus(prompt.window);
    // What was typed before the prompt had the keys is its start: the key
    // that brought it up, and any typed since, as lock screens take them.
    MSG early;
    while (PeekMessageA(&early, saver, WM_CHAR, WM_CHAR, PM_REMOVE)) {
      if (early.lParam == detail::kTypedCharacter) {
        Append(early.wParam);
      }
    }
    SetTimer(prompt.window, kIdleTimer, kIdleMs, nullptr);
    Draw(prompt.window);
    accepted = RunPrompt();
    if (prompt.checking) {
      refusedLast = accepted == FALSE;
    }
    if (IsWindow(previousFocus)) {
      SetFocus(previousFocus);
    }
    if (IsWindow(prompt.window)) {
      KillTimer(prompt.window, kIdleTimer);
      DestroyWindow(prompt.window);
    }
    PutBackUnder();
  }
  under = SaveUnder{};
  Wipe();
  prompt = Prompt{};
  UnregisterClassA(kPromptClass, nullptr);
  return accepted;
}

template <typename Function> FARPROC Export(Function *function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

} // namespace

void ProvidePasswordCheck(const PasswordCheck &check) {
  provided = check;
  refusedLast = false;
  AddModule("PASSWORD.CPL",
            {{"VerifyScreenSavePwd", Export(VerifyScreenSavePwd)}});
  SetRegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop",
                   "ScreenSaveUsePassword", REG_DWORD, {1, 0, 0, 0});
}

namespace detail {

void VerdictArrived() {
  if (prompt.window != nullptr) {
    PostMessageA(prompt.window, WM_NULL, 0, 0);
  }
}

} // namespace detail
} // namespace platform
