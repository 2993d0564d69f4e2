#include "launcher/launcher_arguments.h"

#include "common/text.h"

namespace tq {

std::vector<std::wstring> CommandLineArguments(std::wstring_view commandLine) {
  std::vector<std::wstring> arguments;
  std::size_t at = 0;
  // The program's name ends at the next quote when it begins with one, at
  // the first blank otherwise; backslashes are nothing special in it.
  std::wstring program;
  if (at < commandLine.size() && commandLine[at] == L'"') {
    const std::size_t close = commandLine.find(L'"', 1);
    program = commandLine.substr(1, close == std::wstring_view::npos ? close : close - 1);
    at = close == std::wstring_view::npos ? commandLine.size() : close + 1;
  } else {
    while (at < commandLine.size() && !IsBlank(commandLine[at])) {
      program += commandLine[at++];
    }
  }
  arguments.push_back(std::move(program));

  for (;;) {
    while (at < commandLine.size() && IsBlank(commandLine[at])) {
      ++at;
    }
    if (at >= commandLine.size()) {
      return arguments;
    }
    std::wstring argument;
    bool quoted = false;
    while (at < commandLine.size() && (quoted || !IsBlank(commandLine[at]))) {
      std::size_t backslashes = 0;
      while (at < commandLine.size() && commandLine[at] == L'\\') {
        ++backslashes;
        ++at;
      }
      if (at < commandLine.size() && commandLine[at] == L'"') {
        argument.append(backslashes / 2, L'\\');
        if (backslashes % 2 == 1) {
          argument += L'"';
        } else if (quoted && at + 1 < commandLine.size() && commandLine[at + 1] == L'"') {
          // "" inside quotes is one quote.
          argument += L'"';
          ++at;
        } else {
          quoted = !quoted;
        }
        ++at;
      } else {
        argument.append(backslashes, L'\\');
        if (at < commandLine.size() && (quoted || !IsBlank(commandLine[at]))) {
          argument += commandLine[at++];
        }
      }
    }
    arguments.push_back(std::move(argument));
  }
}

LogSwitch FindLogSwitch(std::wstring_view commandLine) {
  constexpr std::wstring_view kSwitch = L"--log";
  LogSwitch found;
  const std::vector<std::wstring> arguments = CommandLineArguments(commandLine);
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (argument == kSwitch) {
      found = {true, {}};
    } else if (argument.starts_with(kSwitch) && argument[kSwitch.size()] == L'=') {
      found = {true, argument.substr(kSwitch.size() + 1)};
    }
  }
  return found;
}

}  // namespace tq
