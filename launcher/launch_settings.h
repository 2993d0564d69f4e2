#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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
  return {{line, std::move(setting), std::move(what)}};
}

// A value of the settings file as written (blanks around it and the quotes
// around a path taken off), and the line it stands on.
struct SettingValue {
  std::wstring text;
  int line = 0;
};

// What a deployer asked for in the settings file beside the launcher, as
// written, by key. Every setting is optional; a file that sets nothing
// changes nothing.
struct LaunchSettings {
  std::optional<SettingValue> javaHome;
  std::optional<SettingValue> javaSearch;
  std::optional<SettingValue> minVersion;
  std::optional<SettingValue> maxVersion;
  std::optional<SettingValue> javaBits;
  std::optional<SettingValue> javaOptions;
  std::optional<SettingValue> singleInstance;  // "yes" or "no", as written
  std::optional<SettingValue> logFile;
  std::optional<SettingValue> javaOutput;

  [[nodiscard]] bool SingleInstance() const;
};

// What a key's value may be.
enum class SettingKind {
  kPath,     // a file or folder; quotes around it are dropped, empty names none
  kText,     // anything, as written
  kWord,     // one of the key's words, in any case
  kWords,    // some of the key's words, each once, between commas
  kVersion,  // a Java version: 1.8, 8, 17.0.9
};

// Where a value of the settings file goes as written.
using WrittenSetting = std::optional<SettingValue> LaunchSettings::*;

class SettingResolution;

// One key of the settings file: where it stands, what it takes, where its
// value goes as written, and how it becomes the launcher's choice (a member
// of SettingResolution, launcher/launch_choices.cpp, which gives what the
// value became, for the log: nothing when that is the value itself).
struct SettingKey {
  std::wstring_view section;
  std::wstring_view name;
  SettingKind kind;
  std::span<const std::wstring_view> words;  // of a kWord or kWords value
  WrittenSetting written;
  std::wstring (SettingResolution::*resolve)(const SettingValue& value);
  // Keys it is of use only beside (one of them at least), and keys it cannot
  // stand beside.
  std::span<const WrittenSetting> needsOneOf{};
  std::span<const WrittenSetting> notWith{};

  // "[Java] Home".
  [[nodiscard]] std::wstring Name() const;
};

// Every key, in the order the decision log tells them: the table in
// launcher/launch_choices.cpp, beside how each value is resolved.
std::span<const SettingKey> SettingKeys();
const SettingKey& KeyOf(WrittenSetting written);

// Reads the text of a settings file. Section and key names match without
// regard to case; lines that begin with ';' or '#' are comments; blank lines
// are fine. An unknown section or key, a key given twice, a value that is not
// allowed, a line that is no "key=value" and keys that do not go together are
// problems: a typo must not be silently ignored.
SettingsResult<LaunchSettings> ParseSettings(std::wstring_view text);

// The longest a value may be as written.
inline constexpr std::size_t kLongestSettingValue = 32767;

}  // namespace tq
