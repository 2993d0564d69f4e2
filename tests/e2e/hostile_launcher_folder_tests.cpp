// The real launcher in awkward folders of its own: a path one short of
// MAX_PATH, and a name full of what a shell would expand or split on.

#include <string>

#include "tests/e2e/hostile_test.h"

namespace tq::e2e {
namespace {

TEST_F(HostileTest, LauncherFolderNearMaxPath) {
  RegisterJavaRuntime(registry, L"1.6", L"");
  // The launcher's own path is 259 characters, one short of MAX_PATH.
  const std::size_t exeNameLength = std::wstring(L"\\TovaneQuillon.exe").size();
  const std::size_t folderLength = MAX_PATH - 1 - exeNameLength;
  const std::size_t nameLength = folderLength - scratch.path().size() - 1;
  ASSERT_LT(nameLength, 256U);
  const LauncherLayout layout(scratch.path(), std::wstring(nameLength, L'd'), programs.launcher);
  ASSERT_EQ(layout.launcher().size(), static_cast<std::size_t>(MAX_PATH - 1));
  layout.PlaceJava(programs.standInJava);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());
  ExpectOneJavaThenTheEnd(launcher, layout, L"java");
}

TEST_F(HostileTest, LauncherFolderWithShellCharacters) {
  // Nothing expands %PATH%, and ^ & ; ' pass as they are: the command line
  // does not go through a shell, and the class path stays one argument.
  RegisterJavaRuntime(registry, L"1.6", L"");
  const LauncherLayout layout = LayOutWithJava(L"To %PATH% ^& ; it's");
  WatchedProcess launcher = StartLauncher(layout, records.Environment());
  ExpectOneJavaThenTheEnd(launcher, layout, L"java");
}

}  // namespace
}  // namespace tq::e2e
