#pragma once

// Where the launcher looks for Java, what it copies into the runtime it
// chooses and the command line it starts Java with, as every test layer
// expects them: written out here on their own, not taken from the
// launcher's code, so a change there shows up as a difference.

#include <array>
#include <string>
#include <string_view>

namespace tq::expected {

// --- The registry -----------------------------------------------------------

// Below HKEY_LOCAL_MACHINE (the 32-bit view); one subkey per installed
// runtime, named by its version, with the runtime's folder as "JavaHome".
inline constexpr wchar_t kJavaRuntimeKey[] = L"SOFTWARE\\JavaSoft\\Java Runtime Environment";

// --- The support files ------------------------------------------------------

// The fixed folder of the machine the support files are copied from.
inline constexpr wchar_t kSupportFolder[] = L"C:\\tovane\\GsmModemJar";

// A serial-communication support file and the folder below a runtime's
// home it belongs in (with a backslash at both ends).
struct SupportFile {
  std::wstring_view name;
  std::wstring_view folderInRuntime;
};

// In the order the launcher looks at them: it stops at the first that
// fails to copy.
inline constexpr std::array<SupportFile, 4> kSupportFiles = {{
    {L"Comm.jar", L"\\lib\\ext\\"},
    {L"javax.comm.properties", L"\\lib\\"},
    {L"Win32com.dll", L"\\bin\\"},
    {L"jdc.jar", L"\\lib\\ext\\"},
}};

// Where the file lies in a runtime, to be put after its home:
// "\lib\ext\Comm.jar".
inline std::wstring PathInRuntime(const SupportFile& file) {
  return std::wstring(file.folderInRuntime) + std::wstring(file.name);
}

// Where the file is copied from.
inline std::wstring PathInSupportFolder(const SupportFile& file) {
  return std::wstring(kSupportFolder) + L"\\" + std::wstring(file.name);
}

// --- The Java command line --------------------------------------------------

// The class path, each entry after the launcher's folder: the
// application's jars, then the application's own folder.
inline constexpr std::array<std::wstring_view, 11> kClassPathTails = {
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

inline constexpr wchar_t kMainClass[] = L"JavaSwingClasses.MainFrame";
// The application takes it as the sign that its own launcher started it.
inline constexpr wchar_t kStartArgument[] = L"launcher";

// The class path as the command line holds it: every entry in quotes, so a
// launcher folder with blanks keeps it one argument.
inline std::wstring QuotedClassPath(const std::wstring& launcherFolder) {
  std::wstring classPath;
  for (const std::wstring_view tail : kClassPathTails) {
    if (!classPath.empty()) {
      classPath += L";";
    }
    classPath += L"\"" + launcherFolder + std::wstring(tail) + L"\"";
  }
  return classPath;
}

// The whole command line the launcher in `launcherFolder` hands over when
// it starts `program`, the program part exactly as it heads the line
// ("java", or a runtime's java.exe, in quotes when its path has a blank).
// Two blanks before the start argument, as the launcher has always written.
inline std::wstring JavaCommand(std::wstring_view program, const std::wstring& launcherFolder) {
  return std::wstring(program) + L" -classpath " + QuotedClassPath(launcherFolder) + L" " +
         kMainClass + L"  " + kStartArgument;
}

}  // namespace tq::expected
