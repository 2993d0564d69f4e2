#pragma once

#include <string>

namespace tq {

class ProcessServices;

inline constexpr wchar_t kMainClass[] = L"JavaSwingClasses.MainFrame";

// Passed to the Java application after its main class. It is part of the
// contract with the application, which reads it as the sign that it was
// started by its own launcher; it must not change without the application.
inline constexpr wchar_t kStartArgument[] = L"launcher";

// The command line that starts the Java application on the runtime at
// javaHome ("java" found by the search path when javaHome is empty), with
// the class path in launcherFolder.
std::wstring BuildJavaCommand(const std::wstring& javaHome, const std::wstring& launcherFolder);

// Starts the Java application hidden, with the launcher folder as its
// working directory; the launcher's own working directory is restored.
void StartJavaApplication(ProcessServices& process, const std::wstring& javaHomePath);

}  // namespace tq
