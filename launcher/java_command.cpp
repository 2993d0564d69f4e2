#include "launcher/java_command.h"

#include <array>
#include <string_view>

#include "common/decimal_text.h"
#include "common/text.h"
#include "interfaces/process_services.h"
#include "launcher/launch_choices.h"
#include "runtime/decision_log.h"
#include "runtime/runtime_search.h"

namespace tq {
namespace {

// The class path, relative to the launcher folder: the application's jars,
// then the application's own folder.
constexpr std::array<std::wstring_view, 11> kClassPathTails = {
    L"\\Sorvanta\\lib\\Sorvanta.jar",
    L"\\Sorvanta\\lib\\Comm.jar",
    L"\\Sorvanta\\lib\\jdc.jar",
    L"\\Sorvanta\\lib\\jxl.jar",
    L"\\Sorvanta\\lib\\log4j-1.2.8.jar",
    L"\\Sorvanta\\lib\\slf4j-api-1.1.0.jar",
    L"\\Sorvanta\\lib\\slf4j-log4j12-1.1.0.jar",
    L"\\Sorvanta\\lib\\slf4j-simple-1.1.0.jar",
    L"\\Sorvanta\\lib\\swing-layout-1.0.jar",
    L"\\Sorvanta\\lib\\win32com.dll.jar",
    L"\\Sorvanta",
};

}  // namespace

std::wstring BuildJavaCommand(const std::wstring& javaHome, const std::wstring& launcherFolder,
                              const std::wstring& javaOptions) {
  std::wstring command;
  if (javaHome.empty()) {
    command = L"java ";
  } else if (javaHome.find_first_of(L" \t") != std::wstring::npos) {
    // Unquoted, "C:\Program Files\Java\..." would make the system try
    // C:\Program.exe first, and Java would split its own name in two.
    command = Concatenated({L"\"", javaHome, kJavaProgramInRuntime, L"\" "});
  } else {
    command = Concatenated({javaHome, kJavaProgramInRuntime, L" "});
  }
  if (!javaOptions.empty()) {
    command += javaOptions + L" ";
  }
  command += L"-classpath ";
  for (std::size_t i = 0; i < kClassPathTails.size(); ++i) {
    command += Concatenated({L"\"", launcherFolder, kClassPathTails[i], L"\"",
                             i + 1 < kClassPathTails.size() ? L";" : L" "});
  }
  return Concatenated({command, kMainClass, L"  ", kStartArgument});
}

unsigned long StartJavaApplication(ProcessServices& process, const std::wstring& javaHomePath,
                                   const LaunchChoices& choices, DecisionLog& log) {
  const std::wstring launcherFolder = process.LauncherFolder();
  const std::wstring command = BuildJavaCommand(javaHomePath, launcherFolder, choices.javaOptions);
  const std::wstring saved = process.WorkingDirectory();
  process.ChangeWorkingDirectory(launcherFolder);
  log.Write(L"starting Java in " + launcherFolder + L": " + command);
  if (!choices.javaOutput.empty()) {
    log.Write(L"Java's standard output and error go to " + choices.javaOutput);
  }
  const unsigned long id =
      process.StartHidden(command, StartOptions{choices.javaOutput, choices.singleInstance});
  log.Write(L"Java started as process " + DecimalText(static_cast<long long>(id)));
  process.ChangeWorkingDirectory(saved);
  return id;
}

}  // namespace tq
