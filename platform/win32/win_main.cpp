// TovaneQuillon.exe: reads its settings, if it has any, then shows the
// splash window; its timer does the rest.

#include <utility>

#include "common/error.h"
#include "launcher/launch_choices.h"
#include "launcher/launch_preparation.h"
#include "launcher/startup_sequence.h"
#include "platform/win32/hardening.h"
#include "platform/win32/splash_form.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_instance_guard.h"
#include "platform/win32/win32_launcher_files.h"
#include "platform/win32/win32_number_conversion.h"
#include "platform/win32/win32_process_services.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_information.h"
#include "platform/win32/win32_user_interface.h"
#include "platform/win32/windows_api.h"
#include "runtime/decision_log.h"
#include "runtime/logged_registry.h"
#include "runtime/mod_main.h"
#include "runtime/process_end.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  using namespace tq;
  // Before the window or anything else can load a DLL by name.
  RestrictDllSearch();
  EndProcessOnHeapCorruption();
  try {
    Win32ProcessServices process;
    Win32Registry registry;
    Win32NumberConversion numbers;
    Win32LauncherFiles files;
    Win32SystemInformation system;
    Win32InstanceGuard guard;
    DecisionLog log(files, system);
    LoggedRegistry loggedRegistry(registry, log);
    SplashForm frmSplash(instance);
    Win32UserInterface ui(frmSplash);
    PreparedLaunch prepared = PrepareLaunch({ui, process, files, system, guard}, log);
    // Lives as long as the process: it is the module's state.
    ModMain modMain(loggedRegistry, &CreateWin32FileSystem, numbers, ui, log,
                    std::move(prepared.javaHome), std::move(prepared.search));
    frmSplash.Show([&] { RunTimerTick(ui, process, modMain, prepared.choices, log); });
    const int closed = RunMessageLoop();
    SplashClosedByTheUser(log);
    return closed;
  } catch (const Error& error) {
    MessageBoxW(nullptr, RuntimeErrorText(error.number(), error.description()).c_str(),
                kProductTitle, MB_OK | MB_SETFOREGROUND);
  } catch (...) {
  }
  return static_cast<int>(kExitUntrappedError);
}
