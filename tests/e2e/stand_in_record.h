#pragma once

// What the stand-in java.exe and the tests that read its records agree on.
// Kept free of Windows headers so both sides can include it.

namespace tq::e2e {

// The folder the stand-in writes its records to. Unset: the stand-in's own
// folder.
inline constexpr wchar_t kRecordDirVariable[] = L"TQ_STANDIN_RECORD_DIR";

// How long the stand-in keeps running, in milliseconds (default below).
inline constexpr wchar_t kLingerVariable[] = L"TQ_STANDIN_LINGER_MS";
inline constexpr unsigned kDefaultLingerMilliseconds = 60000;

// The exit code when it ends by itself after lingering (default 0).
inline constexpr wchar_t kExitCodeVariable[] = L"TQ_STANDIN_EXIT_CODE";

// A line it writes to its standard error when it starts, as a Java
// application that fails at start-up would (default: nothing).
inline constexpr wchar_t kStandardErrorVariable[] = L"TQ_STANDIN_STDERR";

// A file of this name in the record folder makes every stand-in writing
// there end within a fraction of a second.
inline constexpr wchar_t kStopFileName[] = L"stop";

// Each record is "<pid>.txt"; it is written under this suffix first and
// renamed, so a reader that lists *.txt never sees half a record.
inline constexpr wchar_t kRecordSuffix[] = L".txt";
inline constexpr wchar_t kPartialSuffix[] = L".partial";

// Record keys, one "key: value" line each. Values are UTF-8; '%' and control
// characters in them are written as %XX so every value stays on its line.
namespace key {
inline constexpr char kPid[] = "pid";
inline constexpr char kParentPid[] = "parent pid";
inline constexpr char kStartedTick[] = "started tick ms";
inline constexpr char kProgram[] = "program";
inline constexpr char kWorkingDirectory[] = "working directory";
inline constexpr char kCommandLine[] = "command line";
inline constexpr char kArgumentCount[] = "argument count";
inline constexpr char kArgumentPrefix[] = "argument ";  // "argument 0" ...
inline constexpr char kConsoleWindow[] = "console window";
}  // namespace key

// Values of key::kConsoleWindow.
inline constexpr char kConsoleNone[] = "none";
inline constexpr char kConsoleHidden[] = "hidden";
inline constexpr char kConsoleVisible[] = "visible";

}  // namespace tq::e2e
