#include "launcher/startup_sequence.h"

#include <algorithm>
#include <new>
#include <optional>

#include "common/decimal_text.h"
#include "common/error.h"
#include "interfaces/process_services.h"
#include "interfaces/user_interface.h"
#include "launcher/java_command.h"
#include "launcher/launch_choices.h"
#include "runtime/decision_log.h"
#include "runtime/mod_main.h"
#include "runtime/process_end.h"

namespace tq {
namespace {

// The ten seconds after the start. With the log on, the Java process is
// watched meanwhile, so that the log can tell whether it ended early and
// how; the wait takes its ten seconds all the same.
void WaitAfterStart(UserInterface& ui, ProcessServices& process, DecisionLog& log,
                    unsigned long javaProcess) {
  if (!log.WasOpened()) {
    ui.Sleep(kWaitAfterStartMilliseconds);
    return;
  }
  const std::wstring java =
      L"Java (process " + DecimalText(static_cast<long long>(javaProcess)) + L")";
  std::optional<ProgramEnd> end;
  try {
    end = process.WaitForStartedProgram(kWaitAfterStartMilliseconds);
  } catch (const Error& error) {
    log.Write(java + L" cannot be watched: " + error.description());
    ui.Sleep(kWaitAfterStartMilliseconds);
    return;
  }
  if (!end) {
    log.Write(java + L" still runs " + DecimalText(kWaitAfterStartMilliseconds) +
              L" ms after its start");
    return;
  }
  const unsigned waited = std::min(end->waitedMilliseconds, kWaitAfterStartMilliseconds);
  log.Write(java + L" ended " + DecimalText(waited) + L" ms into the wait, with exit code " +
            DecimalText(static_cast<long long>(end->exitCode)));
  ui.Sleep(kWaitAfterStartMilliseconds - waited);
}

}  // namespace

void Timer1_Timer(UserInterface& ui, ProcessServices& process, ModMain& modMain,
                  const LaunchChoices& choices, DecisionLog& log) {
  // Closing the splash destroys the timer too, so this tick is the only one,
  // and no launcher window stands behind the message boxes that follow.
  ui.CloseSplash();
  log.Write(L"the splash closed at its timer's first tick");
  modMain.FindJavaHome();
  const unsigned long java = StartJavaApplication(process, modMain.JavaHomePath, choices, log);
  WaitAfterStart(ui, process, log, java);
  EndProcessAndLogIt(ui, log, kExitStarted);
}

void RunTimerTick(UserInterface& ui, ProcessServices& process, ModMain& modMain,
                  const LaunchChoices& choices, DecisionLog& log) {
  try {
    Timer1_Timer(ui, process, modMain, choices, log);
  } catch (const Error& error) {
    ReportUntrappedError(ui, log, error);
  } catch (const std::bad_alloc&) {
    ReportUntrappedError(ui, log, OutOfMemory());
  }
}

void RunTimerTick(UserInterface& ui, ProcessServices& process, ModMain& modMain) {
  DecisionLog none;
  RunTimerTick(ui, process, modMain, LaunchChoices{}, none);
}

unsigned SplashClosedByTheUser(DecisionLog& log) {
  log.Write(
      L"the splash was closed before its tick: nothing started; the launcher ends with "
      L"exit code 0");
  return kExitStarted;
}

}  // namespace tq
