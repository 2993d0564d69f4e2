#pragma once

// The Java command line of tests/launcher_expectations.h as the started
// program receives it: what the C runtime's splitting of that line gives.

#include <string>
#include <string_view>
#include <vector>

#include "tests/launcher_expectations.h"

namespace tq::e2e {

// `program` as it heads the line (quotes included); argument 0 is it
// without its quotes, and the class path arrives as one argument, without
// the quotes around each entry.
inline std::vector<std::wstring> ExpectedJavaArguments(std::wstring program,
                                                       const std::wstring& launcherFolder) {
  std::erase(program, L'"');
  std::wstring classPath;
  for (const std::wstring_view tail : expected::kClassPathTails) {
    if (!classPath.empty()) {
      classPath += L";";
    }
    classPath += launcherFolder + std::wstring(tail);
  }
  return {program, L"-classpath", classPath, expected::kMainClass, expected::kStartArgument};
}

}  // namespace tq::e2e
