#include <new>
#include <string>
#include <variant>

#include "common/error.h"
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
  Error pending{0, {}};
  bool failed = false;
  try {
    if (!RegKeyExists(registry_, kHkeyLocalMachine, kJavaBaseKey)) {
      ui_.ShowMessage(kNotInstalledMessage);
      ui_.EndProcess(kExitNoJavaRuntime);
    }

    // The first version subkey, in the registry's order, whose first three
    // characters read as 1.5 or more wins; later ones are not looked at.
    bool found = false;
    std::wstring winningName;
    for (const std::wstring& name : RegEnumSubKeys(registry_, kHkeyLocalMachine, kJavaBaseKey)) {
      if (numbers_.ToDouble(name.substr(0, kVersionPrefixLength)) >= kMinimumVersion) {
        found = true;
        winningName = name;
        break;
      }
    }
    if (!found) {
      ui_.ShowMessage(kNotAvailableMessage);
      ui_.EndProcess(kExitNoJavaRuntime);
    }

    const std::wstring runtimeDirectory = RuntimeDirectoryOf(RegGetValue(
        registry_, kHkeyLocalMachine, kJavaVersionKeyPrefix + winningName, kJavaHomeValue));
    if (!runtimeDirectory.empty()) {
      JavaHomePath = runtimeDirectory;
      InstallCommSupport(runtimeDirectory);
    }
  } catch (const Error& error) {
    pending = error;
    failed = true;
  } catch (const std::bad_alloc&) {
    pending = OutOfMemory();
    failed = true;
  }

  if (failed) {
    ui_.ShowMessage(pending.description());
    ui_.ShowMessage(kSearchFailedMessage);
    JavaHomePath.clear();
  }
}

}  // namespace tq
