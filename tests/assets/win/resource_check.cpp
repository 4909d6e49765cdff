// Hands the linked resources to the system's own loaders: the About dialog
// must build with its five controls and two icons, and icon group 100 must
// load at both sizes. Prints what fails; exit code 0 when all is well.

#include <cstdio>
#include <cstring>

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

bool HasClass(HWND window, const char *name) {
  char text[32] = {};
  GetClassNameA(window, text, sizeof text);
  return lstrcmpiA(text, name) == 0;
}

void CheckDialog(HINSTANCE instance) {
  HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(2003), nullptr,
                                   DialogProc, 0);
  Check(dialog != nullptr, "dialog 2003 is created");
  if (!dialog)
    return;
  char title[32] = {};
  GetWindowTextA(dialog, title, sizeof title);
  Check(std::strcmp(title, "Gushmire") == 0, "dialog title");

  // Children in template order: button, text, icon, text, icon.
  const char *const classes[] = {"Button", "Static", "Static", "Static",
                                 "Static"};
  int count = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT), ++count) {
    if (count >= 5)
      continue;
    Check(HasClass(child, classes[count]), "control class");
    if (count == 2 || count == 4)
      Check(SendMessageA(child, STM_GETICON, 0, 0) != 0,
            "icon control shows icon 100");
  }
  Check(count == 5, "five controls");
  HWND ok = GetDlgItem(dialog, IDOK);
  char text[8] = {};
  if (ok)
    GetWindowTextA(ok, text, sizeof text);
  Check(std::strcmp(text, "OK") == 0, "OK button with id 1");
  DestroyWindow(dialog);
}

void CheckIcon(HINSTANCE instance) {
  const int sizes[] = {32, 16};
  for (int size : sizes) {
    HANDLE icon =
        LoadImageA(instance, MAKEINTRESOURCEA(100), IMAGE_ICON, size, size, 0);
    Check(icon != nullptr, "icon group 100 loads");
    ICONINFO info = {};
    if (icon && GetIconInfo(static_cast<HICON>(icon), &info)) {
      BITMAP mask = {};
      GetObjectA(info.hbmMask, sizeof mask, &mask);
      Check(mask.bmWidth == size, "icon image of the asked size");
      if (info.hbmColor)
        DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
    }
    if (icon)
      DestroyIcon(static_cast<HICON>(icon));
  }
}

} // namespace

int main() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  CheckDialog(instance);
  CheckIcon(instance);
  std::printf("%s\n", failures ? "resource check failed" : "resources load");
  return failures ? 1 : 0;
}
