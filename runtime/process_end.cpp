#include "runtime/process_end.h"

#include <exception>

#include "common/decimal_text.h"
#include "common/error.h"
#include "interfaces/exit_codes.h"
#include "interfaces/user_interface.h"
#include "runtime/decision_log.h"

namespace tq {

void EndProcessAndLogIt(UserInterface& ui, DecisionLog& log, unsigned exitCode) {
  log.Write(L"the launcher ends with exit code " + DecimalText(exitCode));
  ui.EndProcess(exitCode);
  std::terminate();  // not reached: the process has ended
}

void ReportUntrappedError(UserInterface& ui, DecisionLog& log, const Error& error) {
  log.Write(L"error " + DecimalText(error.number()) + L": " + error.description() + L"; reported");
  ui.ShowMessage(RuntimeErrorText(error.number(), error.description()));
  EndProcessAndLogIt(ui, log, kExitUntrappedError);
}

std::wstring RuntimeErrorText(int number, const std::wstring& description) {
  return L"Run-time error '" + DecimalText(number) + L"':\r\n\r\n" + description;
}

}  // namespace tq
