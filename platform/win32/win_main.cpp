// TovaneQuillon.exe: shows the splash window; its timer does the rest.

#include <string>

#include "common/error.h"
#include "launcher/startup_sequence.h"
#include "platform/win32/dll_search_restriction.h"
#include "platform/win32/heap_corruption.h"
#include "platform/win32/splash_form.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_number_conversion.h"
#include "platform/win32/win32_process_services.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_user_interface.h"
#include "platform/win32/windows_api.h"
#include "runtime/mod_main.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  using namespace tq;
  // Before the window, COM or the picture can load a DLL by name.
  RestrictDllSearch();
  EndProcessOnHeapCorruption();
  try {
    Win32ProcessServices process;
    Win32Registry registry;
    Win32NumberConversion numbers;
    SplashForm frmSplash(instance);
    Win32UserInterface ui(frmSplash);
    // Lives as long as the process: it is the module's state.
    ModMain modMain(registry, &CreateWin32FileSystem, numbers, ui);
    frmSplash.Show([&] { RunTimerTick(ui, process, modMain); });
    return RunMessageLoop();
  } catch (const Error& error) {
    MessageBoxW(nullptr, RuntimeErrorText(error.number(), error.description()).c_str(),
                kProductTitle, MB_OK | MB_SETFOREGROUND);
  } catch (...) {
  }
  return static_cast<int>(kExitUntrappedError);
}
