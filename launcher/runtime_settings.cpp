#include "launcher/runtime_settings.h"

#include <algorithm>
#include <array>

#include "common/decimal_text.h"
#include "common/letter_case.h"
#include "common/text.h"
#include "interfaces/process_services.h"
#include "interfaces/system_information.h"
#include "runtime/pe_image.h"

namespace tq {
namespace {

constexpr std::wstring_view kNothingStarted = L"\r\n\r\nNothing was started.";

// "Line 3: [Java] Bits=32", as the settings file has it.
std::wstring LineOf(const ResolvedSettings& settings, WrittenSetting written) {
  const SettingValue& value = *(settings.written.*written);
  return Concatenated(
      {L"Line ", DecimalText(value.line), L": ", KeyOf(written).Name(), L"=", value.text});
}

// What the bits allow, as the box words it, in RuntimeBits' order.
constexpr std::array<std::wstring_view, 3> kBitsTexts = {L"32-bit", L"64-bit", L"32-bit or 64-bit"};

// "Java 1.5 or later, 32-bit", "Java 11 to 17, 32-bit or 64-bit".
std::wstring AllowedText(const RuntimeSearch& search) {
  const std::wstring lowest = search.minimum ? search.minimum->Text() : L"1.5";
  const std::wstring versions = search.maximum
                                    ? Concatenated({lowest, L" to ", search.maximum->Text()})
                                    : lowest + L" or later";
  return Concatenated(
      {L"Java ", versions, L", ", kBitsTexts[static_cast<std::size_t>(search.bits)]});
}

// What a search that took no runtime found, a line each.
std::wstring FoundText(const std::vector<RuntimeCandidate>& found, const std::wstring& failure) {
  if (!failure.empty()) {
    return Concatenated({L"The search could not be made: ", failure, L"\r\n"});
  }
  if (found.empty()) {
    return L"No Java runtime was found in these places.\r\n";
  }
  std::wstring text = L"Found, and not taken:\r\n";
  const std::size_t named = std::min(found.size(), kRuntimesNamedInMessage);
  for (std::size_t i = 0; i < named; ++i) {
    const RuntimeCandidate& runtime = found[i];
    text += Concatenated({L"- ", runtime.folder, L" (", SourceName(runtime.foundBy),
                          runtime.version ? L", Java " : L"",
                          runtime.version ? std::wstring_view(runtime.version->Text()) : L"",
                          L"): ", runtime.refusal, L"\r\n"});
  }
  if (found.size() > named) {
    text += Concatenated({L"and ", DecimalText(static_cast<long long>(found.size() - named)),
                          L" more; the decision log (--log) names them all.\r\n"});
  }
  return text;
}

std::wstring NoJavaMessage(const std::wstring& settingsFile, const std::wstring& homeLine,
                           const std::wstring& java, const std::wstring& reason) {
  return Concatenated(
      {L"The Java runtime that the settings file names has no java.exe.\r\nSettings file: ",
       settingsFile, L"\r\n", homeLine, L"\r\nLooked for: ", java,
       reason.empty() ? L"" : L"\r\nIt could not be looked for: ", reason, kNothingStarted});
}

std::wstring WrongBitsMessage(const std::wstring& settingsFile, const std::wstring& lines,
                              const std::wstring& java, std::wstring why) {
  if (!why.empty()) {
    why[0] = AsciiUpper(why[0]);
  }
  return Concatenated(
      {L"The Java runtime that the settings file names cannot be taken.\r\nSettings file: ",
       settingsFile, L"\r\n", lines, L"\r\njava.exe: ", java, L"\r\n", why, L".", kNothingStarted});
}

// A variable of the launcher's environment, or nothing when it is not set.
std::optional<std::wstring> Variable(ProcessServices& process, const std::wstring& name) {
  const std::wstring reference = L"%" + name + L"%";
  std::wstring value = process.ExpandEnvironment(reference);
  if (value == reference) {
    return std::nullopt;
  }
  return value;
}

SearchEnvironment EnvironmentOf(const std::vector<RuntimeSource>& sources, ProcessServices& process,
                                SystemInformation& system) {
  SearchEnvironment environment;
  const auto searches = [&](RuntimeSource source) {
    return std::ranges::find(sources, source) != sources.end();
  };
  if (searches(RuntimeSource::kJavaSoft)) {
    environment.windows64Bit = system.Is64BitWindows();
  }
  if (searches(RuntimeSource::kJavaHome)) {
    environment.javaHome = Variable(process, L"JAVA_HOME");
  }
  if (searches(RuntimeSource::kPath)) {
    environment.path = Variable(process, L"PATH").value_or(std::wstring());
  }
  if (searches(RuntimeSource::kFolders)) {
    std::vector<std::wstring> folded;
    for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) {
      std::wstring folder = Variable(process, name).value_or(std::wstring());
      std::wstring key = FoldedName(folder);
      if (!folder.empty() && std::ranges::find(folded, key) == folded.end()) {
        folded.push_back(std::move(key));
        environment.programFolders.push_back(std::move(folder));
      }
    }
  }
  return environment;
}

}  // namespace

ConfiguredJavaHome ConfiguredHomeOf(const ResolvedSettings& settings,
                                    const std::wstring& settingsFile) {
  const LaunchChoices& choices = settings.choices;
  if (choices.javaHome.empty()) {
    return {};
  }
  const std::wstring homeLine = LineOf(settings, &LaunchSettings::javaHome);
  const std::wstring lines =
      choices.javaBits
          ? Concatenated({homeLine, L"\r\n", LineOf(settings, &LaunchSettings::javaBits)})
          : homeLine;
  return {choices.javaHome,
          [settingsFile, homeLine](const std::wstring& java, const std::wstring& reason) {
            return NoJavaMessage(settingsFile, homeLine, java, reason);
          },
          choices.javaBits,
          [settingsFile, lines](const std::wstring& java, const std::wstring& why) {
            return WrongBitsMessage(settingsFile, lines, java, why);
          }};
}

std::optional<RuntimeSearch> SearchOf(const ResolvedSettings& settings,
                                      const std::wstring& settingsFile, ProcessServices& process,
                                      SystemInformation& system) {
  const LaunchChoices& choices = settings.choices;
  if (choices.javaSearch.empty()) {
    return std::nullopt;
  }
  RuntimeSearch search{choices.javaSearch,
                       choices.minVersion.value_or(DefaultMinimumVersion()),
                       choices.maxVersion,
                       choices.javaBits.value_or(RuntimeBits::k32),
                       EnvironmentOf(choices.javaSearch, process, system),
                       {}};
  // What the box says before and after the runtimes found.
  const std::wstring opening =
      Concatenated({L"No Java runtime that the settings file allows was found.\r\nSettings file: ",
                    settingsFile, L"\r\n", LineOf(settings, &LaunchSettings::javaSearch),
                    L"\r\nAllowed: ", AllowedText(search), L"\r\n\r\n"});
  const std::wstring closing =
      Concatenated({L"\r\nInstall a Java runtime that the settings allow, or name one with ",
                    KeyOf(&LaunchSettings::javaHome).Name(), L" in place of ",
                    KeyOf(&LaunchSettings::javaSearch).Name(), L".", kNothingStarted});
  search.noneTakenMessage = [opening, closing](const std::vector<RuntimeCandidate>& found,
                                               const std::wstring& failure) {
    return Concatenated({opening, FoundText(found, failure), closing});
  };
  return search;
}

}  // namespace tq
