#pragma once

// The title and texts of the launcher's message boxes, as every test layer
// expects them: written out here on their own, not taken from the
// launcher's code, so a change there shows up as a difference.

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

}  // namespace tq::text
