#pragma once

#include <string>

namespace tq {

class DecisionLog;
class Error;
class UserInterface;

// Ends the process with the exit code, after the log's last line says so.
[[noreturn]] void EndProcessAndLogIt(UserInterface& ui, DecisionLog& log, unsigned exitCode);

// The top-level report of an error that nothing handled: one message box
// with its number and description, then the end of the process.
[[noreturn]] void ReportUntrappedError(UserInterface& ui, DecisionLog& log, const Error& error);

// The text of the top-level report of an untrapped error.
std::wstring RuntimeErrorText(int number, const std::wstring& description);

}  // namespace tq
