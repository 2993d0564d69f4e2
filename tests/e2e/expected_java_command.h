#pragma once

// What the Java runtime must receive from a launcher in a given folder,
// written out here on its own, not taken from the launcher's code, so a
// change there shows up as a difference.

#include <string>
#include <vector>

namespace tq::e2e {

// The whole command line the launcher hands over when the Java home is
// empty (the bare "java" form).
std::wstring ExpectedJavaCommand(const std::wstring& launcherFolder);

// The same line as the C runtime splits it: the program, "-classpath", the
// class path without quotes, the main class and the start argument.
std::vector<std::wstring> ExpectedJavaArguments(const std::wstring& launcherFolder);

}  // namespace tq::e2e
