#include "launcher/launch_choices.h"

#include <array>
#include <optional>
#include <span>

#include "common/decimal_text.h"
#include "common/paths.h"
#include "common/text.h"
#include "interfaces/process_services.h"
#include "launcher/java_command.h"
#include "runtime/support_files.h"

namespace tq {

// How the values of one settings file become choices: one member a key,
// which puts the value where it goes, and the ways a value becomes a path.
class SettingResolution {
 public:
  SettingResolution(const std::wstring& launcherFolder, ProcessServices& process)
      : folder_(launcherFolder), process_(process) {}

  std::wstring Home(const SettingValue& v) { return choices.javaHome = RuntimeFolder(v); }
  std::wstring Search(const SettingValue& v) {
    for (const std::wstring_view word : ItemsOf(v.text, L',')) {
      choices.javaSearch.push_back(
          static_cast<RuntimeSource>(IndexOfWord(kRuntimeSourceNames, word)));
    }
    return {};
  }
  std::wstring MinVersion(const SettingValue& v) {
    choices.minVersion = ParseJavaVersion(v.text);
    return {};
  }
  std::wstring MaxVersion(const SettingValue& v) {
    choices.maxVersion = ParseJavaVersion(v.text);
    if (const JavaVersion lowest = choices.minVersion.value_or(DefaultMinimumVersion());
        *choices.maxVersion < lowest) {
      Fail(v, L"lower than " + lowest.Text() +
                  L", the lowest version allowed: no runtime could be taken");
    }
    return {};
  }
  std::wstring Bits(const SettingValue& v) {
    choices.javaBits = static_cast<RuntimeBits>(IndexOfWord(kRuntimeBitsNames, v.text));
    return {};
  }
  std::wstring Options(const SettingValue& v) { return choices.javaOptions = JavaOptions(v); }
  std::wstring SingleInstance(const SettingValue& v) {
    choices.singleInstance = SameIgnoringAsciiCase(v.text, L"yes");
    return {};
  }
  std::wstring LogFile(const SettingValue& v) { return choices.logFile = LimitedPath(v); }
  std::wstring JavaOutput(const SettingValue& v) { return choices.javaOutput = LimitedPath(v); }

  LaunchChoices choices;
  std::optional<SettingsProblem> problem;
  // The key being resolved, for the problems it has.
  const SettingKey* key = nullptr;

 private:
  std::wstring FullPath(const SettingValue& value) {
    return PathFrom(folder_, process_.ExpandEnvironment(value.text));
  }

  std::wstring LimitedPath(const SettingValue& value) {
    std::wstring path = FullPath(value);
    if (path.size() > kLongestPath) {
      Fail(value, L"too long: " + path + L" has " + Characters(path.size()) +
                      L", where Windows takes " + Characters(kLongestPath) + L" at most");
    }
    return path;
  }

  // With room below it for the files the launcher puts there.
  std::wstring RuntimeFolder(const SettingValue& value) {
    // The launcher adds its own backslash before bin and lib.
    std::wstring home = WithoutClosingSeparators(FullPath(value));
    const std::size_t room = kLongestPath - LongestPathInRuntime();
    if (home.size() > room) {
      Fail(value, L"too long: " + home + L" has " + Characters(home.size()) + L", and " +
                      Characters(room) + L" at most leave room for the files in it");
    }
    return home;
  }

  std::wstring JavaOptions(const SettingValue& value) {
    std::wstring options = process_.ExpandEnvironment(value.text);
    // Measured against a runtime folder as long as any path can be.
    const std::wstring longest =
        BuildJavaCommand(std::wstring(kLongestPath, L'x'), folder_, options);
    if (longest.size() > kLongestCommandLine) {
      Fail(value, L"too long: with them the Java command line could reach " +
                      Characters(longest.size()) + L", where Windows starts " +
                      Characters(kLongestCommandLine) + L" at most");
    }
    return options;
  }

  // Where the word stands among the key's words, in any case; the parser
  // let only those through.
  static std::size_t IndexOfWord(std::span<const std::wstring_view> words, std::wstring_view word) {
    std::size_t i = 0;
    while (i + 1 < words.size() && !SameIgnoringAsciiCase(words[i], word)) {
      ++i;
    }
    return i;
  }

  static std::wstring Characters(std::size_t count) {
    return DecimalText(static_cast<long long>(count)) + L" characters";
  }

  void Fail(const SettingValue& value, std::wstring what) {
    if (!problem) {
      problem = SettingsProblem{value.line, key->Name(), std::move(what)};
    }
  }

  const std::wstring& folder_;
  ProcessServices& process_;
};

namespace {

constexpr std::array<std::wstring_view, 2> kYesOrNo = {L"yes", L"no"};
constexpr std::array<WrittenSetting, 1> kHome = {&LaunchSettings::javaHome};
constexpr std::array<WrittenSetting, 1> kSearch = {&LaunchSettings::javaSearch};
constexpr std::array<WrittenSetting, 2> kSearchOrHome = {&LaunchSettings::javaSearch,
                                                         &LaunchSettings::javaHome};

// The keys of the settings file (the README's Deploying section says what
// each does): a new setting is one entry here, and its tests.
using enum SettingKind;
using R = SettingResolution;
using S = LaunchSettings;
constexpr std::array<SettingKey, 9> kKeys = {{
    {L"Java", L"Home", kPath, {}, &S::javaHome, &R::Home},
    {L"Java", L"Search", kWords, kRuntimeSourceNames, &S::javaSearch, &R::Search, {}, kHome},
    {L"Java", L"MinVersion", kVersion, {}, &S::minVersion, &R::MinVersion, kSearch},
    {L"Java", L"MaxVersion", kVersion, {}, &S::maxVersion, &R::MaxVersion, kSearch},
    {L"Java", L"Bits", kWord, kRuntimeBitsNames, &S::javaBits, &R::Bits, kSearchOrHome},
    {L"Java", L"Options", kText, {}, &S::javaOptions, &R::Options},
    {L"Launcher", L"SingleInstance", kWord, kYesOrNo, &S::singleInstance, &R::SingleInstance},
    {L"Log", L"File", kPath, {}, &S::logFile, &R::LogFile},
    {L"Log", L"JavaOutput", kPath, {}, &S::javaOutput, &R::JavaOutput},
}};

}  // namespace

std::span<const SettingKey> SettingKeys() { return kKeys; }

SettingsResult<ResolvedSettings> ResolveSettings(const LaunchSettings& settings,
                                                 const std::wstring& launcherFolder,
                                                 ProcessServices& process) {
  SettingResolution resolution(launcherFolder, process);
  ResolvedSettings resolved{settings, {}, {}};
  for (const SettingKey& key : kKeys) {
    const std::optional<SettingValue>& value = settings.*(key.written);
    resolution.key = &key;
    const bool unset = !value || (key.kind == kPath && value->text.empty());
    resolved.became.push_back(unset ? std::wstring() : (resolution.*(key.resolve))(*value));
  }
  if (resolution.problem) {
    return Unexpected<SettingsProblem>{*resolution.problem};
  }
  resolved.choices = resolution.choices;
  return resolved;
}

std::vector<std::wstring> SettingsLogLines(const LaunchSettings& settings,
                                           const ResolvedSettings* resolved) {
  std::vector<std::wstring> lines;
  for (std::size_t i = 0; i < kKeys.size(); ++i) {
    if (const std::optional<SettingValue>& value = settings.*(kKeys[i].written)) {
      const std::wstring became = resolved != nullptr ? resolved->became[i] : std::wstring();
      lines.push_back(L"setting on line " + DecimalText(value->line) + L": " + kKeys[i].Name() +
                      L"=" + value->text + (became.empty() ? L"" : L"  ->  " + became));
    }
  }
  return lines;
}

}  // namespace tq
