#pragma once

namespace tq {

// Exit codes of the launcher process, handed to UserInterface::EndProcess.
inline constexpr unsigned kExitStarted = 0;
inline constexpr unsigned kExitNoJavaRuntime = 1;
inline constexpr unsigned kExitUntrappedError = 2;

}  // namespace tq
