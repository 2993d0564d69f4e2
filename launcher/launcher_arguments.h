#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tq {

// The command line split into its arguments as the C runtime splits one,
// the program's name first: blanks outside quotes separate, quotes group,
// 2n backslashes before a quote are n and the quote groups, 2n+1 are n and
// a quote.
std::vector<std::wstring> CommandLineArguments(std::wstring_view commandLine);

// The decision log's switch: "--log" for the default file, "--log=PATH" for
// another. The launcher takes nothing else from its command line; every
// other argument is ignored, as it always was.
struct LogSwitch {
  bool given = false;
  // Empty: the default file.
  std::wstring path;
};
LogSwitch FindLogSwitch(std::wstring_view commandLine);

}  // namespace tq
