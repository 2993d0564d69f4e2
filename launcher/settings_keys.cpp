// The keys of the settings file beside the launcher: a new setting is one
// entry here, and its tests.
//
//   [Java]
//   Home=jre                        a runtime folder: no registry search
//   Options=-Xmx512m                placed before -classpath
//   [Launcher]
//   SingleInstance=yes              one running application per folder
//   [Log]
//   File=%TEMP%\TovaneQuillon.log   the decision log
//   JavaOutput=java.log             Java's standard output and error

#include <array>

#include "common/text.h"
#include "launcher/launch_choices.h"
#include "launcher/launch_settings.h"

namespace tq {
namespace {

constexpr std::array<std::wstring_view, 2> kYesOrNo = {L"yes", L"no"};

constexpr std::array<SettingKey, 5> kKeys = {{
    {L"Java",
     L"Home",
     SettingKind::kPath,
     {},
     &LaunchSettings::javaHome,
     [](const SettingValue& value, Resolution& r) {
       return r.choices.javaHome = r.RuntimeFolder(value);
     }},
    {L"Java",
     L"Options",
     SettingKind::kText,
     {},
     &LaunchSettings::javaOptions,
     [](const SettingValue& value, Resolution& r) {
       return r.choices.javaOptions = r.JavaOptions(value);
     }},
    {L"Launcher", L"SingleInstance", SettingKind::kWord, kYesOrNo, &LaunchSettings::singleInstance,
     [](const SettingValue& value, Resolution& r) {
       r.choices.singleInstance = SameIgnoringAsciiCase(value.text, L"yes");
       return std::wstring();
     }},
    {L"Log",
     L"File",
     SettingKind::kPath,
     {},
     &LaunchSettings::logFile,
     [](const SettingValue& value, Resolution& r) { return r.choices.logFile = r.Path(value); }},
    {L"Log",
     L"JavaOutput",
     SettingKind::kPath,
     {},
     &LaunchSettings::javaOutput,
     [](const SettingValue& value, Resolution& r) { return r.choices.javaOutput = r.Path(value); }},
}};

}  // namespace

std::span<const SettingKey> SettingKeys() { return kKeys; }

}  // namespace tq
