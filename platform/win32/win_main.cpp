// TovaneQuillon.exe: shows the splash window; its timer does the rest.

#include "common/error.h"
#include "launcher/startup_sequence.h"
#include "platform/win32/splash_form.h"
#include "platform/win32/win32_process_services.h"
#include "platform/win32/win32_user_interface.h"
#include "platform/win32/windows_api.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  using namespace tq;
  try {
    Win32ProcessServices process;
    SplashForm frmSplash(instance);
    Win32UserInterface ui(frmSplash);
    const std::wstring javaHomePath;
    frmSplash.Show([&] { RunTimerTick(ui, process, javaHomePath); });
    return RunMessageLoop();
  } catch (const Error& error) {
    MessageBoxW(nullptr, RuntimeErrorText(error.number(), error.description()).c_str(),
                kProductTitle, MB_OK | MB_SETFOREGROUND);
  } catch (...) {
  }
  return static_cast<int>(kExitUntrappedError);
}
