#pragma once

#include <string>
#include <utility>

#include "common/expected.h"

namespace tq {

// What is wrong with a settings file: the line (0 for the file as a whole),
// the setting it concerns ("[Launcher] SingleInstance", or empty), and why.
struct SettingsProblem {
  int line = 0;
  std::wstring setting;
  std::wstring what;
};

// What a step of reading the settings file gives: its result, or the first
// problem it met.
template <class Value>
using SettingsResult = Expected<Value, SettingsProblem>;

inline Unexpected<SettingsProblem> SettingsFailure(int line, std::wstring setting,
                                                   std::wstring what) {
  return {SettingsProblem{line, std::move(setting), std::move(what)}};
}

}  // namespace tq
