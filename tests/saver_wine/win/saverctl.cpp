// Starts a screen saver under test and reports what it does, one line per
// event on standard output, so the shell scripts can wait for an event and
// then send input with xdotool:
//   saverctl [options] PROGRAM [ARGUMENTS...]
// Options:
//   --timeout MS     end the saver and report "timeout" after MS (20000)
//   --owner          first show a foreground window of our own; "%W" in the
//                    arguments becomes its decimal handle
//   --preview WxH    first show a window whose client area is WxH; "%W"
//                    becomes its handle; once the saver's child is seen and
//                    reported, destroy that window after --hold MS (500)
// Lines:
//   ours HANDLE                      our window, with --owner or --preview
//   frame WIDTHxHEIGHT+X+Y           where our window is on the screen
//   started
//   window TITLE WIDTHxHEIGHT        the full-screen saver window appeared
//   dialog TITLE GEOMETRY owner=ours|none|other template=same|different
//   preview TITLE WIDTHxHEIGHT parent=WIDTHxHEIGHT
//   parent destroyed
//   exit CODE                        signed, from GetExitCodeProcess
//   timeout
// The exit status is 0 once the saver has ended, 2 on bad usage, 3 on
// timeout.
//   saverctl --serve DIR
// runs many cases in one process (see Serve);
//   saverctl --running
// prints the screen-saver-running state as "running 0|1".
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

// The caption of dialog template 2003 in the program file: the box shown
// must be that one.
std::string TemplateCaption(const char *program) {
  HMODULE image = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!image) {
    return "";
  }
  std::string caption;
  HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(2003),
                              MAKEINTRESOURCEA(5)); // RT_DIALOG
  const WORD *words =
      found
          ? static_cast<const WORD *>(LockResource(LoadResource(image, found)))
          : nullptr;
  const DWORD size = found ? SizeofResource(image, found) : 0;
  if (words && size > 26 && words[0] == 1 && words[1] == 0xFFFF) {
    // DLGTEMPLATEEX: 26 bytes of header, then menu, class and caption.
    const WORD *at = words + 13;
    const WORD *end = words + size / 2;
    for (int field = 0; field < 2 && at < end; ++field) {
      if (*at == 0xFFFF) {
        at += 2;
      } else {
        while (at < end && *at) {
          ++at;
        }
        ++at;
      }
    }
    for (; at < end && *at; ++at) {
      caption += static_cast<char>(*at < 128 ? *at : '?');
    }
  }
  FreeLibrary(image);
  return caption;
}

// WIDTHxHEIGHT+X+Y of a window on the screen, as `convert -crop` takes it.
std::string Geometry(HWND window) {
  RECT box;
  GetWindowRect(window, &box);
  char text[64];
  std::snprintf(text, sizeof text, "%ldx%ld+%ld+%ld", box.right - box.left,
                box.bottom - box.top, box.left, box.top);
  return text;
}

std::string Title(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

struct DialogSearch {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindProcessDialog(HWND window, LPARAM data) {
  auto *search = reinterpret_cast<DialogSearch *>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  if (process == search->process && std::strcmp(className, "#32770") == 0 &&
      IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(int clientWidth, int clientHeight) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = PlainWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = "GushmireTestHost";
  RegisterClassA(&windowClass);
  RECT frame = {0, 0, clientWidth, clientHeight};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  AdjustWindowRect(&frame, style, FALSE);
  HWND window =
      CreateWindowExA(0, "GushmireTestHost", "Preview host", style, 40, 40,
                      frame.right - frame.left, frame.bottom - frame.top,
                      nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window) {
    SetForegroundWindow(window);
  }
  return window;
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

// The command line for CreateProcess: the program quoted, then the
// arguments as given, "%W" replaced by the window handle.
std::string CommandLine(int argc, char **argv, int first, HWND window) {
  std::string line = std::string("\"") + argv[first] + "\"";
  const std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(window));
  for (int i = first + 1; i < argc; ++i) {
    std::string argument = argv[i];
    for (size_t at = argument.find("%W"); at != std::string::npos;
         at = argument.find("%W")) {
      argument.replace(at, 2, handle);
    }
    line += " " + argument;
  }
  return line;
}

// One run of the saver, as the command line describes it.
int RunCase(int argc, char **argv) {
  DWORD timeout = 20000;
  DWORD hold = 500;
  bool owner = false;
  int previewWidth = 0;
  int previewHeight = 0;
  int first = 1;
  for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
    const bool hasValue = first + 1 < argc;
    if (std::strcmp(argv[first], "--owner") == 0) {
      owner = true;
    } else if (std::strcmp(argv[first], "--timeout") == 0 && hasValue) {
      timeout = static_cast<DWORD>(std::strtoul(argv[++first], nullptr, 10));
    } else if (std::strcmp(argv[first], "--hold") == 0 && hasValue) {
      hold = static_cast<DWORD>(std::strtoul(argv[++first], nullptr, 10));
    } else if (std::strcmp(argv[first], "--preview") == 0 && hasValue &&
               std::sscanf(argv[++first], "%dx%d", &previewWidth,
                           &previewHeight) == 2 &&
               previewWidth > 0 && previewHeight > 0) {
    } else {
      first = argc;
    }
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: saverctl [--timeout MS] [--owner] "
                         "[--preview WxH [--hold MS]] PROGRAM [ARGS...]\n");
    return 2;
  }

  HWND ours = nullptr;
  UnregisterClassA("GushmireTestHost", GetModuleHandleA(nullptr));
  if (previewWidth > 0) {
    ours = MakeWindow(previewWidth, previewHeight);
  } else if (owner) {
    ours = MakeWindow(200, 100);
  }
  if (ours) {
    Report("ours %lu",
           static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(ours)));
    Report("frame %s", Geometry(ours).c_str());
  }
  PumpFor(100);
  const std::string caption = TemplateCaption(argv[first]);
  std::string line = CommandLine(argc, argv, first, ours);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(argv[first], line.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &process)) {
    Report("cannot start %s (error %lu)", argv[first],
           static_cast<unsigned long>(GetLastError()));
    return 2;
  }
  Report("started");

  const DWORD start = GetTickCount();
  bool windowSeen = false;
  bool dialogSeen = false;
  bool previewSeen = false;
  DWORD previewSeenAt = 0;
  for (;;) {
    HWND saver = FindWindowA(saverClass, nullptr);
    DWORD saverProcess = 0;
    if (saver) {
      GetWindowThreadProcessId(saver, &saverProcess);
    }
    if (!windowSeen && saver && saverProcess == process.dwProcessId &&
        IsWindowVisible(saver)) {
      windowSeen = true;
      RECT box;
      GetWindowRect(saver, &box);
      Report("window %s %ldx%ld", Title(saver).c_str(), box.right - box.left,
             box.bottom - box.top);
    }
    if (!dialogSeen) {
      DialogSearch search = {process.dwProcessId, nullptr};
      EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search));
      if (search.found) {
        dialogSeen = true;
        HWND boxOwner = GetWindow(search.found, GW_OWNER);
        Report("dialog %s %s owner=%s template=%s", Title(search.found).c_str(),
               Geometry(search.found).c_str(),
               !boxOwner          ? "none"
               : boxOwner == ours ? "ours"
                                  : "other",
               Title(search.found) == caption ? "same" : "different");
      }
    }
    if (previewWidth > 0 && !previewSeen && ours) {
      HWND child = FindWindowExA(ours, nullptr, saverClass, nullptr);
      if (child) {
        previewSeen = true;
        previewSeenAt = GetTickCount();
        RECT box;
        GetClientRect(child, &box);
        RECT parentBox;
        GetClientRect(ours, &parentBox);
        Report("preview %s %ldx%ld parent=%ldx%ld", Title(child).c_str(),
               box.right, box.bottom, parentBox.right, parentBox.bottom);
      }
    }
    if (previewSeen && ours && GetTickCount() - previewSeenAt >= hold) {
      DestroyWindow(ours);
      ours = nullptr;
      Report("parent destroyed");
    }

    const DWORD waited =
        MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 20, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (waited == WAIT_OBJECT_0) {
      break;
    }
    if (GetTickCount() - start > timeout) {
      Report("timeout");
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, 5000);
      return 3;
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
  return 0;
}

// Serving: runs the cases that the file DIR\commands lists, one a line,
// as they are appended; each line is NAME and then the arguments of one
// run, separated by the unit separator (0x1F). A case's events go to
// DIR\NAME.out. "quit" ends, as do 20 minutes without a new line. One
// long-lived process saves a Wine process start per case.
int Serve(const std::string &directory) {
  const std::string commands = directory + "\\commands";
  size_t done = 0;
  DWORD idleSince = GetTickCount();
  for (;;) {
    std::string text;
    if (FILE *file = std::fopen(commands.c_str(), "rb")) {
      char buffer[4096];
      size_t got;
      while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
      }
      std::fclose(file);
    }
    size_t start = 0;
    size_t line = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1, ++line) {
      if (line < done) {
        continue;
      }
      ++done;
      idleSince = GetTickCount();
      std::string entry = text.substr(start, end - start);
      if (entry == "quit") {
        return 0;
      }
      std::vector<std::string> fields;
      for (size_t at = 0;;) {
        const size_t next = entry.find('\x1f', at);
        fields.push_back(entry.substr(at, next - at));
        if (next == std::string::npos) {
          break;
        }
        at = next + 1;
      }
      std::vector<char *> arguments = {nullptr};
      for (size_t i = 1; i < fields.size(); ++i) {
        arguments.push_back(fields[i].data());
      }
      const std::string output = directory + "\\" + fields[0] + ".out";
      events = std::fopen(output.c_str(), "w");
      if (!events) {
        events = stdout;
        continue;
      }
      RunCase(static_cast<int>(arguments.size()), arguments.data());
      Report("end");
      std::fclose(events);
      events = stdout;
    }
    if (GetTickCount() - idleSince > 20 * 60 * 1000) {
      return 1;
    }
    PumpFor(50);
  }
}

} // namespace

int main(int argc, char **argv) {
  // Wine reads the state once per process and keeps it, so a fresh
  // process tells what another one has set since.
  if (argc == 2 && std::strcmp(argv[1], "--running") == 0) {
    BOOL state = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &state, 0);
    Report("running %d", state != 0);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--serve") == 0) {
    return Serve(argv[2]);
  }
  return RunCase(argc, argv);
}
