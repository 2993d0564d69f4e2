#include "tests/e2e/expected_java_command.h"

namespace tq::e2e {
namespace {

constexpr const wchar_t* kClassPathTails[] = {
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

std::wstring ExpectedJavaCommand(const std::wstring& launcherFolder) {
  std::wstring classPath;
  for (const wchar_t* tail : kClassPathTails) {
    if (!classPath.empty()) {
      classPath += L";";
    }
    classPath += L"\"" + launcherFolder + tail + L"\"";
  }
  return L"java -classpath " + classPath + L" JavaSwingClasses.MainFrame  launcher";
}

std::vector<std::wstring> ExpectedJavaArguments(const std::wstring& launcherFolder) {
  std::wstring classPath;
  for (const wchar_t* tail : kClassPathTails) {
    if (!classPath.empty()) {
      classPath += L";";
    }
    classPath += launcherFolder + tail;
  }
  return {L"java", L"-classpath", classPath, L"JavaSwingClasses.MainFrame", L"launcher"};
}

}  // namespace tq::e2e
