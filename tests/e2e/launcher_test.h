#pragma once

// The common ground of the tests that run the real launcher: the programs,
// a scratch folder on C: for launcher layouts, a record folder for the
// stand-in java.exe, and a registry in a known state.

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/expected_java_arguments.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/registry_scope.h"
#include "tests/e2e/stand_in_record.h"
#include "tests/e2e/stand_in_records.h"
#include "tests/e2e/window_watch.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"

namespace tq::e2e {

// The class of the splash window.
inline constexpr wchar_t kSplashClass[] = L"frmSplash";

class LauncherTest : public ::testing::Test {
 protected:
  // Java discovery finds exactly one registered runtime, "1.6", whose
  // JavaHome is empty text: discovery then ends with an empty Java home and
  // no message, and the launcher starts the bare "java".
  LauncherTest() {
    registry.RemoveTree(HKEY_LOCAL_MACHINE, expected::kJavaRuntimeKey);
    RegisterJavaRuntime(registry, L"1.6", L"");
  }

  // What every start of Java by the launcher of `layout` must give it;
  // `program` heads its command line as the launcher writes it ("java", or a
  // runtime's java.exe, quoted when its path has a blank).
  static void ExpectStartedByTheLauncher(const StandInRecord& java, const WatchedProcess& launcher,
                                         const LauncherLayout& layout,
                                         const std::wstring& program) {
    EXPECT_EQ(java.parentPid, launcher.pid());
    EXPECT_EQ(java.commandLine, expected::JavaCommand(program, layout.folder()));
    EXPECT_EQ(java.arguments, ExpectedJavaArguments(program, layout.folder()));
    EXPECT_EQ(java.workingDirectory, layout.folder());
    EXPECT_EQ(java.consoleWindow, kConsoleHidden);
  }

  // A launcher in a folder of the scratch folder, with the stand-in beside it
  // as the java that a bare "java" finds first.
  [[nodiscard]] LauncherLayout LayOutWithJava(const std::wstring& folderName = L"Tovane") const {
    LauncherLayout layout(scratch.path(), folderName, programs.launcher);
    layout.PlaceJava(programs.standInJava);
    return layout;
  }

  // Nothing the launcher could have started: no stand-in recorded, and no
  // process of any kind has the launcher as its parent.
  void ExpectNothingStartedBy(const WatchedProcess& launcher) {
    // A stand-in needs a moment to write its record after it starts.
    Sleep(1000);
    EXPECT_TRUE(records.Read().empty()) << "Java was started";
    EXPECT_TRUE(ChildProcesses(launcher.pid()).empty()) << "the launcher started a process";
  }

  // Destroyed in reverse: the stand-ins end, the registry is restored, the
  // scratch folder goes. Launchers that tests start are ended before all
  // of that, by their own destructors.
  const Programs programs = Programs::FromEnvironment();
  const ScratchFolder scratch;
  RegistryScope registry;
  StandInRecords records{scratch.path() + L"\\records"};
};

}  // namespace tq::e2e
