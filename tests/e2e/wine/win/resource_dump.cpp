// Lists the resources linked into this program (resource_listing.h), run
// under Wine and compared with the native table. Then hands them to the
// system's own loaders. Failures go to stderr and the exit code.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "resource_listing.h"
#include "winapi.h"

namespace {

std::vector<std::string> lines;
bool failed = false;

std::string KeyText(LPCSTR key) {
  return IS_INTRESOURCE(key)
             ? std::to_string(reinterpret_cast<std::uintptr_t>(key))
             : std::string(key);
}

BOOL CALLBACK OnLanguage(HMODULE module, LPCSTR type, LPCSTR name,
                         WORD language, LONG_PTR) {
  HRSRC found = FindResourceExA(module, type, name, language);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void *data = loaded ? LockResource(loaded) : nullptr;
  if (!data) {
    failed = true;
    return TRUE;
  }
  lines.push_back(assets_test::ListingLine(
      KeyText(type), KeyText(name), language,
      static_cast<const unsigned char *>(data), SizeofResource(module, found)));
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR) {
  EnumResourceLanguagesA(module, type, name, OnLanguage, 0);
  return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPSTR type, LONG_PTR) {
  EnumResourceNamesA(module, type, OnName, 0);
  return TRUE;
}

void Check(bool ok, const char *what) {
  if (!ok) {
    std::fprintf(stderr, "FAIL: %s\n", what);
    failed = true;
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
  EnumResourceTypesA(GetModuleHandleA(nullptr), OnType, 0);
  std::sort(lines.begin(), lines.end());
  for (const std::string &line : lines)
    std::printf("%s\n", line.c_str());
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
  return failed || lines.empty() ? 1 : 0;
}
