#pragma once

// The title and texts of the launcher's message boxes, as every test layer
// expects them: written out here on their own, not taken from the
// launcher's code, so a change there shows up as a difference.

#include <string>

namespace tq::text {

// The title of the splash window and of every message box.
inline constexpr wchar_t kLauncherTitle[] = L"Tovane Quillon";

inline constexpr wchar_t kNotInstalled[] =
    L"You have not Installed Java Runtime Environment on your computer.\r\n"
    L"Download and install Java Runtime Environment Version 1.5 or higher version.\r\n"
    L"Please refer installtion guide of Tovane Calvero for further help";
inline constexpr wchar_t kNotAvailable[] =
    L"Java Runtime Environment version 1.5 or higher version is not avaiable";
inline constexpr wchar_t kSearchFailed[] = L"Error While Searching JVM on Your Machine";
inline constexpr wchar_t kCopyFailed[] = L"Error While Copying JAR File";
inline constexpr wchar_t kUnsupportedValueType[] = L"Unsupported value type";

// How the report of an error that nothing handled begins.
inline constexpr wchar_t kReportOpening[] = L"Run-time error '";

// --- Settings beside the launcher --------------------------------------------

// A settings file that cannot be used: its path, then what is wrong
// ("Line 3, [Launcher] SingleInstance: \"maybe\" is not allowed; write yes
// or no"), in one box; nothing is started.
inline std::wstring BadSettings(const std::wstring& settingsFile, const std::wstring& problem) {
  return L"The settings file cannot be used:\r\n" + settingsFile + L"\r\n\r\n" + problem +
         L".\r\n\r\nNothing was started.";
}

// The runtime the settings file names holds no bin\java.exe, or it could not
// be looked for (then `reason` is the error's description).
inline std::wstring NoJavaInConfiguredHome(const std::wstring& settingsFile, int line,
                                           const std::wstring& homeAsWritten,
                                           const std::wstring& javaLookedFor,
                                           const std::wstring& reason = {}) {
  return L"The Java runtime that the settings file names has no java.exe.\r\nSettings file: " +
         settingsFile + L"\r\nLine " + std::to_wstring(line) + L": [Java] Home=" + homeAsWritten +
         L"\r\nLooked for: " + javaLookedFor +
         (reason.empty() ? L"" : L"\r\nIt could not be looked for: " + reason) +
         L"\r\n\r\nNothing was started.";
}

// A second start while the application of the same folder runs.
inline std::wstring AlreadyRunning(const std::wstring& launcherFolder) {
  return L"Tovane Quillon is already running: it was started from\r\n" + launcherFolder +
         L"\r\nand has not ended yet.\r\n\r\nNothing was started.";
}

// --- The runtime the settings ask for ------------------------------------------

// The runtime [Java] Home names is not of the bitness [Java] Bits asks for:
// `why` says what it is ("It is 64-bit (x64), while ...").
inline std::wstring HomeRefused(const std::wstring& settingsFile, const std::wstring& homeLine,
                                const std::wstring& bitsLine, const std::wstring& java,
                                const std::wstring& why) {
  return L"The Java runtime that the settings file names cannot be taken.\r\nSettings file: " +
         settingsFile + L"\r\n" + homeLine + L"\r\n" + bitsLine + L"\r\njava.exe: " + java +
         L"\r\n" + why + L".\r\n\r\nNothing was started.";
}

// A search that took no runtime: its line, what it allowed, and what it
// found, a "- folder (source, Java version): why not\r\n" line each.
inline std::wstring NoRuntimeTaken(const std::wstring& settingsFile, const std::wstring& searchLine,
                                   const std::wstring& allowed, const std::wstring& found) {
  return L"No Java runtime that the settings file allows was found.\r\nSettings file: " +
         settingsFile + L"\r\n" + searchLine + L"\r\nAllowed: " + allowed + L"\r\n\r\n" + found +
         L"\r\nInstall a Java runtime that the settings allow, or name one with [Java] Home in "
         L"place of [Java] Search.\r\n\r\nNothing was started.";
}

// Why a 64-bit runtime is not taken for the serial-port support.
inline std::wstring NeedsA32BitJava(const std::wstring& machine) {
  return L"it is " + machine +
         L", while the serial-port support (Win32com.dll) needs a 32-bit Java";
}

}  // namespace tq::text
