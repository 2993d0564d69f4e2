#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "launcher/settings_problem.h"

namespace tq {

// A value of the settings file as written (blanks around it and the quotes
// around a path taken off), and the line it stands on.
struct SettingValue {
  std::wstring text;
  int line = 0;
};

// What a deployer asked for in the settings file beside the launcher, as
// written. Every setting is optional; a file that sets nothing changes
// nothing. The keys are the entries of SettingKeys().
struct LaunchSettings {
  std::optional<SettingValue> javaHome;
  std::optional<SettingValue> javaOptions;
  std::optional<SettingValue> singleInstance;  // "yes" or "no", as written
  std::optional<SettingValue> logFile;
  std::optional<SettingValue> javaOutput;

  [[nodiscard]] bool SingleInstance() const;
};

// What a key's value may be.
enum class SettingKind {
  kPath,  // a file or folder; quotes around it are dropped
  kText,  // anything, as written
  kWord,  // one of the key's words, in any case
};

class Resolution;

// One key of the settings file: where it stands, what it takes, where its
// value goes as written, and what it becomes for the launcher.
struct SettingKey {
  std::wstring_view section;
  std::wstring_view name;
  SettingKind kind;
  // What a kWord value may be.
  std::span<const std::wstring_view> words;
  std::optional<SettingValue> LaunchSettings::*written;
  // Makes the value into the launcher's choice (launcher/launch_choices.h)
  // and gives what it became, for the log: nothing when that is the value
  // itself.
  std::wstring (*resolve)(const SettingValue& value, Resolution& resolution);

  // "[Java] Home".
  [[nodiscard]] std::wstring Name() const;
};

// Every key of the settings file, in the order the decision log tells them.
std::span<const SettingKey> SettingKeys();

// The key whose value goes to the member.
const SettingKey& KeyOf(std::optional<SettingValue> LaunchSettings::*written);

// Reads the text of a settings file. Section and key names match without
// regard to case; lines that begin with ';' or '#' are comments; blank lines
// are fine. An unknown section or key, a key given twice, a value that is not
// allowed and a line that is no "key=value" are problems: a typo must not be
// silently ignored.
SettingsResult<LaunchSettings> ParseSettings(std::wstring_view text);

// The longest a value may be as written.
inline constexpr std::size_t kLongestSettingValue = 32767;

}  // namespace tq
