#pragma once

namespace tq {

// Exit codes of the launcher process, handed to UserInterface::EndProcess.
inline constexpr unsigned kExitStarted = 0;
// No Java runtime to start: none registered, none recent enough, or the
// runtime the settings file names has no java.exe.
inline constexpr unsigned kExitNoJavaRuntime = 1;
inline constexpr unsigned kExitUntrappedError = 2;
// The settings file beside the launcher cannot be used.
inline constexpr unsigned kExitBadSettings = 3;
// The settings ask for one running application per folder, and one runs.
inline constexpr unsigned kExitAlreadyRunning = 4;

}  // namespace tq
