#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tq {

// A value of the settings file as written (blanks around it and the quotes
// around a path taken off), and the line it stands on.
struct SettingValue {
  std::wstring text;
  int line = 0;
};

// What a deployer asked for in the settings file beside the launcher. Every
// setting is optional; a file that sets nothing changes nothing.
//
//   [Java]
//   Home=jre                        a runtime folder: no registry search
//   Options=-Xmx512m                placed before -classpath
//   [Launcher]
//   SingleInstance=yes              one running application per folder
//   [Log]
//   File=%TEMP%\TovaneQuillon.log   the decision log
//   JavaOutput=java.log             Java's standard output and error
struct LaunchSettings {
  std::optional<SettingValue> javaHome;
  std::optional<SettingValue> javaOptions;
  std::optional<SettingValue> singleInstance;  // "yes" or "no", as written
  std::optional<SettingValue> logFile;
  std::optional<SettingValue> javaOutput;

  [[nodiscard]] bool SingleInstance() const;
};

// What is wrong with a settings file: the line (0 for the file as a whole),
// the setting it concerns ("[Launcher] SingleInstance", or empty), and why.
struct SettingsProblem {
  int line = 0;
  std::wstring setting;
  std::wstring what;
};

struct ParsedSettings {
  LaunchSettings settings;
  std::optional<SettingsProblem> problem;
};

// Reads the text of a settings file. Section and key names match without
// regard to case; lines that begin with ';' or '#' are comments; blank lines
// are fine. An unknown section or key, a key given twice, a value that is not
// allowed and a line that is no "key=value" are problems: a typo must not be
// silently ignored.
ParsedSettings ParseSettings(std::wstring_view text);

// The longest a value may be as written.
inline constexpr std::size_t kLongestSettingValue = 32767;

}  // namespace tq
