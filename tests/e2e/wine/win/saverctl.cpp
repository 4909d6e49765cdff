// Starts a screen saver under test and reports what it does, a line per
// event, so that the scripts can wait for one and then send input:
//   saverctl [--timeout MS] [--host WxH [--hold MS]] [--bystander X,Y,W,H]
//            PROGRAM ARGS
// --host first shows a foreground window of ours with a WxH client area,
// destroyed --hold MS after a child of the saver shows in it; "%W" in ARGS
// becomes its handle. --bystander first shows a foreground window of ours
// at that screen position and size, which reports every key and mouse
// message it gets. Lines: "ours HANDLE", "window TITLE WxH" (the
// full-screen one) and "placed LEFT TOP RIGHT BOTTOM" (its screen
// rectangle), "dialog TITLE owner=ours|none|other", "preview TITLE WxH
// parent=WxH", "parent destroyed", "bystander input 0xMSG", "timeout" (the
// saver is then ended with 99), "exit CODE" (signed).
//   saverctl --serve DIR                       many runs (see Serve)
//   saverctl --send      prints "running 0|1" (the screen-saver-running
//                        state)
//   saverctl --fileinfo PROGRAM
// prints the version strings and the manifest's DPI awareness of PROGRAM.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char saverClass[] = "WindowsScreenSaverClass";
FILE *events = stdout;

void Report(const char *format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(events, format, args);
  va_end(args);
  std::fputc('\n', events);
  std::fflush(events);
}

std::string Title(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// A grey foreground window of ours, of a class of its own.
HWND ShowOurs(const char *className, WNDPROC procedure, const char *title,
              DWORD style, const RECT &frame) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
  HWND window =
      CreateWindowExA(0, className, title, style, frame.left, frame.top,
                      frame.right - frame.left, frame.bottom - frame.top,
                      nullptr, nullptr, windowClass.hInstance, nullptr);
  SetForegroundWindow(window);
  return window;
}

HWND MakeWindow(int clientWidth, int clientHeight) {
  RECT frame = {0, 0, clientWidth, clientHeight};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  AdjustWindowRect(&frame, style, FALSE);
  frame = RECT{40, 40, 40 + frame.right - frame.left,
               40 + frame.bottom - frame.top};
  return ShowOurs("GushmireTestHost", DefWindowProcA, "Preview host", style,
                  frame);
}

// Keys and characters are 0x100 to 0x109, mouse messages 0x200 to 0x20E.
LRESULT CALLBACK BystanderProc(HWND window, UINT message, WPARAM wParam,
                               LPARAM lParam) {
  if ((message >= 0x100 && message <= 0x109) ||
      (message >= 0x200 && message <= 0x20E)) {
    Report("bystander input 0x%04x", message);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
}

// One run of the saver, as the command line describes it.
int RunCase(int argc, char **argv) {
  DWORD timeout = 20000;
  DWORD hold = 500;
  int hostWidth = 0;
  int hostHeight = 0;
  RECT bystanderArea = {}; // left, top, width, height
  int first = 1;
  for (; first + 1 < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
    if (std::strcmp(argv[first], "--timeout") == 0) {
      timeout = std::strtoul(argv[++first], nullptr, 10);
    } else if (std::strcmp(argv[first], "--hold") == 0) {
      hold = std::strtoul(argv[++first], nullptr, 10);
    } else if (std::strcmp(argv[first], "--bystander") == 0) {
      if (std::sscanf(argv[++first], "%ld,%ld,%ld,%ld", &bystanderArea.left,
                      &bystanderArea.top, &bystanderArea.right,
                      &bystanderArea.bottom) != 4) {
        first = argc;
      }
    } else if (std::strcmp(argv[first], "--host") != 0 ||
               std::sscanf(argv[++first], "%dx%d", &hostWidth, &hostHeight) !=
                   2) {
      first = argc;
    }
  }
  if (first >= argc || hostWidth < 0 || hostHeight < 0) {
    Report("usage: saverctl [options] PROGRAM [ARGS...]");
    return 2;
  }

  HWND ours = nullptr;
  if (hostWidth > 0) {
    ours = MakeWindow(hostWidth, hostHeight);
    Report("ours %lu",
           static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(ours)));
  }
  HWND bystander = nullptr;
  if (bystanderArea.right > 0 && bystanderArea.bottom > 0) {
    const RECT &a = bystanderArea;
    bystander =
        ShowOurs("GushmireTestBystander", BystanderProc, "Bystander",
                 WS_POPUP | WS_VISIBLE,
                 RECT{a.left, a.top, a.left + a.right, a.top + a.bottom});
  }
  PumpFor(100);
  std::string line = std::string("\"") + argv[first] + "\"";
  const std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(ours));
  for (int i = first + 1; i < argc; ++i) {
    std::string argument = argv[i];
    for (size_t at; (at = argument.find("%W")) != std::string::npos;) {
      argument.replace(at, 2, handle);
    }
    line += " " + argument;
  }

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(argv[first], line.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &process)) {
    Report("cannot start %s (error %lu)", argv[first], GetLastError());
    return 2;
  }

  // True the first time `window` is a visible window of the saver.
  const auto firstSight = [&process](HWND window, bool &seen) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return !seen && id == process.dwProcessId && IsWindowVisible(window) &&
           (seen = true);
  };
  bool windowSeen = false, dialogSeen = false, previewSeen = false;
  DWORD previewSeenAt = 0;
  for (const DWORD start = GetTickCount();
       WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; PumpFor(20)) {
    RECT box;
    HWND window = FindWindowA(saverClass, "Screen Saver");
    if (firstSight(window, windowSeen) && GetWindowRect(window, &box)) {
      Report("window %s %ldx%ld", Title(window).c_str(), box.right - box.left,
             box.bottom - box.top);
      Report("placed %ld %ld %ld %ld", box.left, box.top, box.right,
             box.bottom);
    }
    HWND dialog = FindWindowA("#32770", nullptr);
    if (firstSight(dialog, dialogSeen)) {
      HWND owner = GetWindow(dialog, GW_OWNER);
      Report("dialog %s owner=%s", Title(dialog).c_str(),
             !owner          ? "none"
             : owner == ours ? "ours"
                             : "other");
    }
    HWND child =
        ours ? FindWindowExA(ours, nullptr, saverClass, nullptr) : nullptr;
    RECT parent;
    if (firstSight(child, previewSeen) && GetClientRect(child, &box) &&
        GetClientRect(ours, &parent)) {
      previewSeenAt = GetTickCount();
      Report("preview %s %ldx%ld parent=%ldx%ld", Title(child).c_str(),
             box.right, box.bottom, parent.right, parent.bottom);
    }
    if (previewSeen && ours && GetTickCount() - previewSeenAt >= hold) {
      DestroyWindow(ours);
      ours = nullptr;
      Report("parent destroyed");
    }
    if (GetTickCount() - start > timeout) {
      Report("timeout");
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, 5000);
    }
  }

  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  Report("exit %ld", static_cast<long>(static_cast<LONG>(code)));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (ours) {
    DestroyWindow(ours);
  }
  if (bystander) {
    DestroyWindow(bystander);
  }
  return 0;
}

// Runs a case per line of standard input until it ends: NAME, then the
// arguments of one run, separated by the unit separator (0x1F). A run's
// events go to DIR\NAME.out, closed by "end". One long-lived process saves
// a Wine process start per run.
int Serve(const std::string &directory) {
  for (char text[4096]; std::fgets(text, sizeof text, stdin);) {
    std::string entry(text, std::strcspn(text, "\r\n"));
    std::vector<std::string> fields;
    for (size_t at = 0, next = 0; next != std::string::npos; at = next + 1) {
      next = entry.find('\x1f', at);
      fields.push_back(entry.substr(at, next - at));
    }
    std::vector<char *> arguments = {nullptr};
    for (size_t i = 1; i < fields.size(); ++i) {
      arguments.push_back(fields[i].data());
    }
    events = std::fopen((directory + "\\" + fields[0] + ".out").c_str(), "w");
    if (events) {
      RunCase(static_cast<int>(arguments.size()), arguments.data());
      Report("end");
      std::fclose(events);
    }
    events = stdout;
  }
  return 0;
}

int Send() {
  // Wine reads the state once per process and keeps it.
  BOOL state = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &state, 0);
  Report("running %d", state != 0);
  return 0;
}

int FileInfo(const char *file) {
  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeA(file, &ignored) + 1);
  VS_FIXEDFILEINFO *fixed = nullptr;
  UINT length = 0;
  if (GetFileVersionInfoA(file, 0, block.size(), block.data()) &&
      VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&fixed),
                     &length) &&
      length >= sizeof *fixed) {
    Report("fixed %d.%d.%d.%d", HIWORD(fixed->dwFileVersionMS),
           LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
           LOWORD(fixed->dwFileVersionLS));
  }
  for (const char *name :
       {"ProductName", "ProductVersion", "FileDescription", "LegalCopyright"}) {
    void *value = nullptr;
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (VerQueryValueA(block.data(), path.c_str(), &value, &length) &&
        length > 0) {
      Report("%s %s", name, static_cast<const char *>(value));
    }
  }
  ACTCTXA context{};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = file;
  context.lpResourceName = MAKEINTRESOURCEA(1);
  const HANDLE made = CreateActCtxA(&context);
  WCHAR value[64] = {};
  SIZE_T written = 0;
  if (made != INVALID_HANDLE_VALUE) {
    if (QueryActCtxSettingsW(0, made, nullptr, L"dpiAware", value, 64,
                             &written)) {
      Report("dpiAware %ls", value);
    }
    ReleaseActCtx(made);
  }
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 2 && std::strcmp(argv[1], "--send") == 0) {
    return Send();
  }
  if (argc == 3 && std::strcmp(argv[1], "--serve") == 0) {
    return Serve(argv[2]);
  }
  if (argc == 3 && std::strcmp(argv[1], "--fileinfo") == 0) {
    return FileInfo(argv[2]);
  }
  return RunCase(argc, argv);
}
