#include <new>
#include <optional>
#include <string>
#include <variant>

#include "common/decimal_text.h"
#include "common/error.h"
#include "common/text.h"
#include "interfaces/exit_codes.h"
#include "interfaces/number_conversion.h"
#include "interfaces/user_interface.h"
#include "registry/m_registry.h"
#include "runtime/mod_main.h"

namespace tq {
namespace {

constexpr wchar_t kJavaBaseKey[] = L"SOFTWARE\\JavaSoft\\Java Runtime Environment";
constexpr wchar_t kJavaVersionKeyPrefix[] = L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\";
constexpr wchar_t kJavaHomeValue[] = L"JavaHome";
constexpr std::size_t kVersionPrefixLength = 3;
constexpr double kMinimumVersion = 1.5;

constexpr wchar_t kNotInstalledMessage[] =
    L"You have not Installed Java Runtime Environment on your computer.\r\n"
    L"Download and install Java Runtime Environment Version 1.5 or higher version.\r\n"
    L"Please refer installtion guide of Tovane Calvero for further help";
constexpr wchar_t kNotAvailableMessage[] =
    L"Java Runtime Environment version 1.5 or higher version is not avaiable";
constexpr wchar_t kSearchFailedMessage[] = L"Error While Searching JVM on Your Machine";

// The runtime folder a JavaHome value names. Only text names a folder; a
// number or bytes are as unusable as a value of an unsupported type.
std::wstring RuntimeDirectoryOf(const RegVariant& javaHome) {
  if (const auto* text = std::get_if<std::wstring>(&javaHome)) {
    return *text;
  }
  if (std::holds_alternative<Empty>(javaHome)) {
    return {};
  }
  throw UnsupportedValueType();
}

}  // namespace

void ModMain::FindJavaHome() {
  JavaHomePath.clear();
  if (!configuredHome_.folder.empty()) {
    TakeConfiguredHome();
    return;
  }
  if (search_) {
    TakeSearchedRuntime();
    return;
  }
  std::optional<Error> failure;
  try {
    if (!RegKeyExists(registry_, kHkeyLocalMachine, kJavaBaseKey)) {
      Log(L"no Java runtime is registered");
      ui_.ShowMessage(kNotInstalledMessage);
      End(kExitNoJavaRuntime);
    }

    // The first version subkey, in the registry's order, whose first three
    // characters read as 1.5 or more wins; later ones are not looked at.
    bool found = false;
    std::wstring winningName;
    for (const std::wstring& name : RegEnumSubKeys(registry_, kHkeyLocalMachine, kJavaBaseKey)) {
      const std::wstring prefix = name.substr(0, kVersionPrefixLength);
      const std::wstring seen = L"version key " + Quoted(name) + L": prefix " + Quoted(prefix);
      double version = 0;
      try {
        version = numbers_.ToDouble(prefix);
      } catch (const Error& error) {
        Log(seen + L" is no number (" + error.description() + L")");
        throw;
      }
      if (version >= kMinimumVersion) {
        Log(seen + L" reads as " + NumberText(version) + L", at least 1.5: chosen");
        found = true;
        winningName = name;
        break;
      }
      Log(seen + L" reads as " + NumberText(version) + L", below 1.5: passed over");
    }
    if (!found) {
      Log(L"no registered Java runtime is of version 1.5 or later");
      ui_.ShowMessage(kNotAvailableMessage);
      End(kExitNoJavaRuntime);
    }

    const std::wstring runtimeDirectory = RuntimeDirectoryOf(RegGetValue(
        registry_, kHkeyLocalMachine, kJavaVersionKeyPrefix + winningName, kJavaHomeValue));
    Log(L"JavaHome of " + Quoted(winningName) + L": " + Quoted(runtimeDirectory));
    if (!runtimeDirectory.empty()) {
      JavaHomePath = runtimeDirectory;
      InstallCommSupport(runtimeDirectory);
    }
  } catch (const Error& error) {
    failure = error;
  } catch (const std::bad_alloc&) {
    failure = OutOfMemory();
  }

  if (failure) {
    Log(L"the search failed with error " + DecimalText(failure->number()) + L": " +
        failure->description() + L"; the bare java is started");
    ui_.ShowMessage(failure->description());
    ui_.ShowMessage(kSearchFailedMessage);
    JavaHomePath.clear();
  }
}

}  // namespace tq
