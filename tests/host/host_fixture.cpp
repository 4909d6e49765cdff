#include "host_fixture.h"

#include "animation.h"
#include "host_state.h"
#include "password.h"
#include "saver_procedure.h"
#include "saver_window.h"
#include "startup.h"

namespace host_test {
namespace {

const char hostClass[] = "GushmireTestHost";

template <typename Function> FARPROC Export(Function *function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

BOOL WINAPI StandInVerify(HWND window) {
  ++verifyCalls;
  return verifyAnswer ? verifyAnswer(window) : TRUE;
}

DWORD WINAPI StandInChange(LPCSTR provider, HWND owner, DWORD reserved1,
                           DWORD reserved2) {
  changeCalls.push_back(
      {provider != nullptr ? provider : "(null)", owner, reserved1, reserved2});
  return 0;
}

HANDLE WINAPI StandInAssociate(HWND window, HANDLE context) {
  imeCalls.emplace_back(window, context);
  return imeCalls.size() == 1 ? savedInputContext : nullptr;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam,
                          LPARAM lParam) {
  if (message == WM_HELP || message == WM_CONTEXTMENU) {
    SaverHost::requests.push_back({message, wParam, lParam});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

using Exports = std::vector<platform::ModuleExport>;

void AddVerifier(bool withEntry) {
  platform::AddModule(
      "PASSWORD.CPL",
      withEntry ? Exports{{"VerifyScreenSavePwd", Export(StandInVerify)}}
                : Exports{});
}

void AddPasswordChanger(bool withEntry) {
  platform::AddModule("MPR.DLL", withEntry ? Exports{{"PwdChangePasswordA",
                                                      Export(StandInChange)}}
                                           : Exports{});
}

void AddInputMethod() {
  platform::AddModule(
      "IMM32.DLL", {{"ImmAssociateContext", Export(StandInAssociate)}}, true);
}

void SetPasswordSwitch(DWORD type, const std::vector<BYTE> &data) {
  platform::SetRegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop",
                             "ScreenSaveUsePassword", type, data);
}

void UsePassword() {
  SetPasswordSwitch(REG_DWORD, {1, 0, 0, 0});
  AddVerifier();
}

void SaverHost::Fresh() {
  if (started) {
    ExpectAllReleased();
  }
  started = true;
  platform::ResetWindowing();
  platform::RemoveModules();
  platform::ClearRegistry();
  platform::OpenHeadlessDisplay(screenWidthPx, screenHeightPx, screenFill);
  platform::SetFramebufferBitsPerPixel(32);
  ResetHostVariables();
  verifyCalls = 0;
  verifyAnswer = nullptr;
  changeCalls.clear();
  imeCalls.clear();
  requests.clear();
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = HostProc;
  windowClass.lpszClassName = hostClass;
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  live = platform::LiveObjectCount();
}

void SaverHost::TearDown() {
  ExpectAllReleased();
  platform::ResetWindowing();
  platform::RemoveModules();
  platform::ClearRegistry();
}

void SaverHost::ExpectAllReleased() {
  // Only a window that a fault left behind may still stand.
  if (SaverAlive()) {
    DestroyWindow(saverWindow);
  }
  EXPECT_EQ(platform::LiveObjectCount(), live);
}

int SaverHost::Dispatch(const std::string &tail, DWORD limit) {
  After(limit, [] {
    ADD_FAILURE() << "the saver still ran";
    DestroyWindow(saverWindow);
  });
  return DispatchCommandLine(GetModuleHandleA(nullptr), tail.c_str());
}

bool SaverHost::SaverAlive() {
  return saverWindow != nullptr && IsWindow(saverWindow);
}

HWND SaverHost::MakeHostWindow(int width, int height) {
  return CreateWindowExA(0, hostClass, "host", WS_POPUP | WS_VISIBLE, 20, 30,
                         width, height, nullptr, nullptr, nullptr, nullptr);
}

std::string SaverHost::Number(HWND window) {
  return std::to_string(reinterpret_cast<uintptr_t>(window));
}

} // namespace host_test
