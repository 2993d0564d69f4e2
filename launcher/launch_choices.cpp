#include "launcher/launch_choices.h"

#include "common/decimal_text.h"
#include "interfaces/process_services.h"
#include "launcher/java_command.h"
#include "launcher/launcher_paths.h"
#include "runtime/support_files.h"

namespace tq {
namespace {

std::wstring Characters(std::size_t count) {
  return DecimalText(static_cast<long long>(count)) + L" characters";
}

}  // namespace

std::wstring Resolution::FullPath(const SettingValue& value) {
  return PathFrom(folder_, process_.ExpandEnvironment(value.text));
}

std::wstring Resolution::Path(const SettingValue& value) {
  std::wstring path = FullPath(value);
  if (path.size() > kLongestPath) {
    Fail(value, L"too long: " + path + L" has " + Characters(path.size()) +
                    L", where Windows takes " + Characters(kLongestPath) + L" at most");
  }
  return path;
}

std::wstring Resolution::RuntimeFolder(const SettingValue& value) {
  std::wstring home = FullPath(value);
  // "C:\jre\" names the folder "C:\jre"; the launcher adds its own backslash
  // before bin and lib.
  while (home.size() > 3 && IsPathSeparator(home.back())) {
    home.pop_back();
  }
  const std::size_t room = kLongestPath - LongestPathInRuntime();
  if (home.size() > room) {
    Fail(value, L"too long: " + home + L" has " + Characters(home.size()) + L", and " +
                    Characters(room) + L" at most leave room for the files in it");
  }
  return home;
}

std::wstring Resolution::JavaOptions(const SettingValue& value) {
  std::wstring options = process_.ExpandEnvironment(value.text);
  // Measured against a runtime folder as long as any path can be.
  const std::wstring longest = BuildJavaCommand(std::wstring(kLongestPath, L'x'), folder_, options);
  if (longest.size() > kLongestCommandLine) {
    Fail(value, L"too long: with them the Java command line could reach " +
                    Characters(longest.size()) + L", where Windows starts " +
                    Characters(kLongestCommandLine) + L" at most");
  }
  return options;
}

void Resolution::Fail(const SettingValue& value, std::wstring what) {
  if (!problem_) {
    problem_ =
        SettingsProblem{value.line, key != nullptr ? key->Name() : std::wstring(), std::move(what)};
  }
}

SettingsResult<ResolvedSettings> ResolveSettings(const LaunchSettings& settings,
                                                 const std::wstring& launcherFolder,
                                                 ProcessServices& process) {
  Resolution resolution(launcherFolder, process);
  ResolvedSettings resolved;
  for (const SettingKey& key : SettingKeys()) {
    const std::optional<SettingValue>& value = settings.*(key.written);
    resolution.key = &key;
    // An empty path names nothing: the launcher does what it always did.
    const bool unset = !value || (key.kind == SettingKind::kPath && value->text.empty());
    resolved.became.push_back(unset ? std::wstring() : key.resolve(*value, resolution));
  }
  if (resolution.problem()) {
    return Unexpected<SettingsProblem>{std::move(*resolution.problem())};
  }
  resolved.choices = std::move(resolution.choices);
  return resolved;
}

std::vector<std::wstring> SettingsLogLines(const LaunchSettings& settings,
                                           const ResolvedSettings* resolved) {
  std::vector<std::wstring> lines;
  const auto keys = SettingKeys();
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::optional<SettingValue>& value = settings.*(keys[i].written);
    if (!value) {
      continue;
    }
    const std::wstring became = resolved != nullptr ? resolved->became[i] : std::wstring();
    lines.push_back(L"setting on line " + DecimalText(value->line) + L": " + keys[i].Name() + L"=" +
                    value->text + (became.empty() ? L"" : L"  ->  " + became));
  }
  return lines;
}

}  // namespace tq
