#pragma once

#include <string>

namespace tq {

class DecisionLog;
class ProcessServices;
struct LaunchChoices;

inline constexpr wchar_t kMainClass[] = L"JavaSwingClasses.MainFrame";

// Passed to the Java application after its main class. It is part of the
// contract with the application, which reads it as the sign that it was
// started by its own launcher; it must not change without the application.
inline constexpr wchar_t kStartArgument[] = L"launcher";

// The command line that starts the Java application on the runtime at
// javaHome ("java" found by the search path when javaHome is empty), with
// the class path in launcherFolder. Options for Java, when there are any,
// stand between the program and -classpath, one blank on each side.
std::wstring BuildJavaCommand(const std::wstring& javaHome, const std::wstring& launcherFolder,
                              const std::wstring& javaOptions = {});

// Starts the Java application hidden, with the launcher folder as its
// working directory; the launcher's own working directory is restored.
// Returns the id of the Java process.
unsigned long StartJavaApplication(ProcessServices& process, const std::wstring& javaHomePath,
                                   const LaunchChoices& choices, DecisionLog& log);

}  // namespace tq
