#pragma once

// The common ground of the tests that let the launcher choose among Java
// runtimes: the registry lists exactly the runtimes a test registers, each
// a folder of its own in the scratch folder.

#include <string>

#include "tests/e2e/java_runtimes.h"
#include "tests/e2e/launcher_test.h"
#include "tests/launcher_expectations.h"

namespace tq::e2e {

class JavaRuntimesTest : public LauncherTest {
 protected:
  using SupportFiles = JavaRuntimeFolder::SupportFiles;

  // No runtime entry at the start. At the end the whole key goes too: some
  // tests fill it past the registry scope, in bulk or value by value.
  JavaRuntimesTest() { registry.RemoveTree(HKEY_LOCAL_MACHINE, expected::kJavaRuntimeKey); }
  ~JavaRuntimesTest() override {
    registry.RemoveTree(HKEY_LOCAL_MACHINE, expected::kJavaRuntimeKey);
  }

  // A runtime folder in the scratch folder (on C:), named `folderName` or
  // else "jre" and the version, registered under `version` as its installer
  // would.
  JavaRuntimeFolder AddRuntime(const std::wstring& version,
                               SupportFiles supportFiles = SupportFiles::kPresent,
                               const std::wstring& folderName = {}) {
    JavaRuntimeFolder runtime(
        scratch.path() + L"\\Java\\" + (folderName.empty() ? L"jre" + version : folderName),
        programs.standInJava, supportFiles);
    RegisterJavaRuntime(registry, version, runtime.home());
    return runtime;
  }
};

}  // namespace tq::e2e
