#include "launcher/startup_sequence.h"

#include <new>

#include "common/decimal_text.h"
#include "common/error.h"
#include "interfaces/user_interface.h"
#include "launcher/java_command.h"
#include "runtime/mod_main.h"

namespace tq {

void Timer1_Timer(UserInterface& ui, ProcessServices& process, ModMain& modMain) {
  // Closing the splash destroys the timer too, so this tick is the only one,
  // and no launcher window stands behind the message boxes that follow.
  ui.CloseSplash();
  modMain.FindJavaHome();
  StartJavaApplication(process, modMain.JavaHomePath);
  ui.Sleep(kWaitAfterStartMilliseconds);
  ui.EndProcess(kExitStarted);
}

std::wstring RuntimeErrorText(int number, const std::wstring& description) {
  return L"Run-time error '" + DecimalText(number) + L"':\r\n\r\n" + description;
}

namespace {

void ReportAndEnd(UserInterface& ui, const Error& error) {
  ui.ShowMessage(RuntimeErrorText(error.number(), error.description()));
  ui.EndProcess(kExitUntrappedError);
}

}  // namespace

void RunTimerTick(UserInterface& ui, ProcessServices& process, ModMain& modMain) {
  try {
    Timer1_Timer(ui, process, modMain);
  } catch (const Error& error) {
    ReportAndEnd(ui, error);
  } catch (const std::bad_alloc&) {
    ReportAndEnd(ui, OutOfMemory());
  }
}

}  // namespace tq
