#pragma once

#include <optional>
#include <string>

#include "launcher/launch_choices.h"
#include "runtime/mod_main.h"
#include "runtime/runtime_search.h"

namespace tq {

class ProcessServices;
class SystemInformation;

// The runtime the settings file names, for ModMain, with its message boxes
// worded from the lines that name it; empty when it names none.
ConfiguredJavaHome ConfiguredHomeOf(const ResolvedSettings& settings,
                                    const std::wstring& settingsFile);

// The search the settings file asks for, with the machine's part of it read
// (the environment only for the sources that need it) and its message box
// worded; nothing when it asks for none.
std::optional<RuntimeSearch> SearchOf(const ResolvedSettings& settings,
                                      const std::wstring& settingsFile, ProcessServices& process,
                                      SystemInformation& system);

// How many runtimes the message box of a search that took none names; the
// log names every one.
inline constexpr std::size_t kRuntimesNamedInMessage = 5;

}  // namespace tq
