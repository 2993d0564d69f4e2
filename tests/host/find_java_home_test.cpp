#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/startup_sequence.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_number_conversion.h"
#include "platform/memory/memory_process_services.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_user_interface.h"
#include "registry/forwarding_registry.h"
#include "runtime/mod_main.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"

namespace tq {
namespace {

const std::wstring kBaseKey = expected::kJavaRuntimeKey;
using text::kNotAvailable;
using text::kNotInstalled;
using text::kSearchFailed;

using Messages = std::vector<std::wstring>;

class FindJavaHomeTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(registry.OpenHandleCount(), 0U) << "a key was left open"; }

  void AddRuntime(const std::wstring& version, const std::wstring& home) {
    registry.SetString(kHkeyLocalMachine, kBaseKey + L"\\" + version, L"JavaHome", home);
  }
  void AddSupportFolder() {
    for (const expected::SupportFile& file : expected::kSupportFiles) {
      files.AddFile(expected::PathInSupportFolder(file), "support");
    }
  }
  void AddRuntimeFolders(const std::wstring& home) {
    files.AddFolder(home + L"\\lib\\ext");
    files.AddFolder(home + L"\\bin");
  }

  // Runs discovery; true when it ended the process.
  bool Run() {
    try {
      modMain.FindJavaHome();
      return false;
    } catch (const ProcessEnded&) {
      return true;
    }
  }

  [[nodiscard]] std::size_t FileCalls() const {
    std::size_t count = 0;
    for (const std::wstring& line : journal.lines) {
      count += line.rfind(L"FileExists", 0) == 0 || line.rfind(L"CopyFile", 0) == 0 ? 1 : 0;
    }
    return count;
  }

  Journal journal;
  FaultPlan faults;
  MemoryRegistry registry{faults};
  MemoryFileSystem files{journal, faults};
  MemoryFileSystemFactory factory{files, journal, faults};
  MemoryNumberConversion numbers{faults};
  MemoryUserInterface ui{journal};
  DecisionLog log;
  ModMain modMain{registry, factory.Bind(), numbers, ui, log};
};

TEST_F(FindJavaHomeTest, NoJavaKeyShowsTheNotInstalledMessageAndEndsTheProcess) {
  EXPECT_TRUE(Run());
  EXPECT_EQ(ui.messages, Messages{kNotInstalled});
  EXPECT_EQ(ui.exitCode, kExitNoJavaRuntime);
  EXPECT_TRUE(modMain.JavaHomePath.empty());
  EXPECT_EQ(FileCalls(), 0U);
}

TEST_F(FindJavaHomeTest, NoSuitableVersionShowsTheNotAvailableMessageAndEndsTheProcess) {
  registry.CreateKey(kHkeyLocalMachine, kBaseKey);
  EXPECT_TRUE(Run()) << "a key without subkeys";
  EXPECT_EQ(ui.messages, Messages{kNotAvailable});

  ui.messages.clear();
  AddRuntime(L"1.4", L"C:\\j14");
  AddRuntime(L"1.4.2_19", L"C:\\j142");
  EXPECT_TRUE(Run()) << "only versions below 1.5";
  EXPECT_EQ(ui.messages, Messages{kNotAvailable});
  EXPECT_EQ(ui.exitCode, kExitNoJavaRuntime);
  EXPECT_EQ(FileCalls(), 0U);
}

TEST_F(FindJavaHomeTest, TheFirstVersionOfAtLeastOnePointFiveWinsInEnumerationOrder) {
  AddRuntime(L"1.4.2_19", L"C:\\j142");
  AddRuntime(L"1.5.0_22", L"C:\\j150");
  AddRuntime(L"1.6.0_45", L"C:\\j160");
  AddSupportFolder();
  AddRuntimeFolders(L"C:\\j150");

  EXPECT_FALSE(Run());
  EXPECT_EQ(modMain.JavaHomePath, L"C:\\j150");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(numbers.calls, 2) << "the walk goes on after the winner";
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    EXPECT_TRUE(files.Contents(L"C:\\j150" + expected::PathInRuntime(file)))
        << "not installed: " << std::string(file.name.begin(), file.name.end());
  }
}

TEST_F(FindJavaHomeTest, OnlyTheFirstThreeCharactersAreTheVersion) {
  AddRuntime(L"1.6", L"C:\\first");
  AddRuntime(L"1.6.0_45", L"C:\\second");
  EXPECT_FALSE(Run());
  EXPECT_EQ(modMain.JavaHomePath, L"C:\\first") << "not the more detailed entry behind it";
}

TEST_F(FindJavaHomeTest, ExactlyOnePointFiveAndTenPass) {
  AddRuntime(L"1.5", L"C:\\j15");
  EXPECT_FALSE(Run());
  EXPECT_EQ(modMain.JavaHomePath, L"C:\\j15");

  FaultPlan tenOnlyFaults;
  MemoryRegistry tenOnly{tenOnlyFaults};
  tenOnly.SetString(kHkeyLocalMachine, kBaseKey + L"\\10", L"JavaHome", L"C:\\j10");
  ModMain other{tenOnly, factory.Bind(), numbers, ui, log};
  other.FindJavaHome();
  EXPECT_EQ(other.JavaHomePath, L"C:\\j10");
}

TEST_F(FindJavaHomeTest, AVersionThatIsNoNumberEndsTheSearchWithTwoMessages) {
  AddRuntime(L"abc", L"C:\\abc");
  AddRuntime(L"1.6", L"C:\\j16");
  modMain.JavaHomePath = L"stale";

  EXPECT_FALSE(Run());
  EXPECT_EQ(ui.messages, (Messages{L"Type mismatch", kSearchFailed}));
  EXPECT_TRUE(modMain.JavaHomePath.empty()) << "although a later subkey would pass";
  EXPECT_EQ(FileCalls(), 0U);
}

TEST_F(FindJavaHomeTest, AMissingOrUnusableJavaHomeIsAnUnsupportedValue) {
  registry.CreateKey(kHkeyLocalMachine, kBaseKey + L"\\1.6");
  EXPECT_FALSE(Run());
  EXPECT_EQ(ui.messages, (Messages{L"Unsupported value type", kSearchFailed}));
  EXPECT_TRUE(modMain.JavaHomePath.empty());

  // A number or bytes name no folder either.
  ui.messages.clear();
  registry.SetDword(kHkeyLocalMachine, kBaseKey + L"\\1.6", L"JavaHome", 42);
  EXPECT_FALSE(Run());
  EXPECT_EQ(ui.messages, (Messages{L"Unsupported value type", kSearchFailed}));

  ui.messages.clear();
  registry.SetValue(kHkeyLocalMachine, kBaseKey + L"\\1.6", L"JavaHome", kRegBinary, {'C', ':'});
  EXPECT_FALSE(Run());
  EXPECT_EQ(ui.messages, (Messages{L"Unsupported value type", kSearchFailed}));
  EXPECT_TRUE(modMain.JavaHomePath.empty());
  EXPECT_EQ(FileCalls(), 0U);
}

TEST_F(FindJavaHomeTest, AnEmptyOrUnreadableJavaHomeChoosesNothingSilently) {
  AddRuntime(L"1.6", L"");
  modMain.JavaHomePath = L"stale";
  EXPECT_FALSE(Run());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(modMain.JavaHomePath.empty());

  registry.DenyRead(kHkeyLocalMachine, kBaseKey + L"\\1.6");
  EXPECT_FALSE(Run());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(modMain.JavaHomePath.empty());
  EXPECT_EQ(FileCalls(), 0U);
}

TEST_F(FindJavaHomeTest, TheJavaHomeIsKeptExactlyAsStored) {
  AddRuntime(L"1.6", L"%ProgramFiles%\\Java\\jre6\\");
  EXPECT_FALSE(Run());
  EXPECT_EQ(modMain.JavaHomePath, L"%ProgramFiles%\\Java\\jre6\\");
  EXPECT_EQ(journal.lines.at(journal.lines.size() - 2).substr(0, 11), L"ShowMessage")
      << "the copy into a folder that does not exist fails";
  ASSERT_GE(journal.lines.size(), 3U);
  bool testedDoubled = false;
  for (const std::wstring& line : journal.lines) {
    testedDoubled |= line == L"FileExists %ProgramFiles%\\Java\\jre6\\\\lib\\ext\\Comm.jar";
  }
  EXPECT_TRUE(testedDoubled) << "the support paths are joined to the home as it stands";
}

TEST_F(FindJavaHomeTest, AFailedCopyShowsOnlyItsOwnMessagesAndKeepsTheRuntime) {
  AddRuntime(L"1.6", L"C:\\j16");
  AddRuntimeFolders(L"C:\\j16");  // no support folder

  EXPECT_FALSE(Run());
  EXPECT_EQ(ui.messages, (Messages{L"File not found", text::kCopyFailed}));
  EXPECT_EQ(modMain.JavaHomePath, L"C:\\j16");
}

// A registry whose enumeration gives the first name twice, as when another
// program inserts a key while the list is read and the indexes shift.
class ShiftingRegistry final : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  std::int32_t EnumKey(KeyHandle key, std::uint32_t index, char* name,
                       std::uint32_t nameSize) override {
    return ForwardingRegistry::EnumKey(key, index == 0 ? 0 : index - 1, name, nameSize);
  }
};

TEST_F(FindJavaHomeTest, ARegistryErrorOnTheWayIsReportedAndChoosesNothing) {
  AddRuntime(L"1.6", L"C:\\j16");
  ShiftingRegistry shifting(registry);
  ModMain shifted{shifting, factory.Bind(), numbers, ui, log};
  shifted.JavaHomePath = L"stale";

  shifted.FindJavaHome();
  EXPECT_EQ(ui.messages, (Messages{DuplicateKey().description(), kSearchFailed}));
  EXPECT_TRUE(shifted.JavaHomePath.empty());
  EXPECT_EQ(FileCalls(), 0U);
}

// The whole tick with discovery in it.
class StartupWithDiscoveryTest : public FindJavaHomeTest {
 protected:
  MemoryProcessServices process{journal, faults, L"C:\\Tovane", L"C:\\"};
};

TEST_F(StartupWithDiscoveryTest, TheChosenRuntimesJavaIsStarted) {
  AddRuntime(L"1.6.0_45", L"C:\\Program Files\\Java\\jre6");
  AddSupportFolder();
  AddRuntimeFolders(L"C:\\Program Files\\Java\\jre6");

  EXPECT_THROW(RunTimerTick(ui, process, modMain), ProcessEnded);
  ASSERT_EQ(process.started.size(), 1U);
  EXPECT_EQ(process.started[0].commandLine.rfind(
                L"\"C:\\Program Files\\Java\\jre6\\bin\\java.exe\" -classpath ", 0),
            0U);
  EXPECT_EQ(ui.exitCode, kExitStarted);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StartupWithDiscoveryTest, WhenDiscoveryEndsTheProcessNothingIsStartedOrAwaited) {
  EXPECT_THROW(RunTimerTick(ui, process, modMain), ProcessEnded);
  EXPECT_TRUE(process.started.empty());
  EXPECT_EQ(ui.messages, Messages{kNotInstalled});
  EXPECT_EQ(journal.lines.front(), L"CloseSplash") << "the splash goes before any message";
  for (const std::wstring& line : journal.lines) {
    EXPECT_NE(line.rfind(L"Sleep", 0), 0U);
  }
}

TEST_F(StartupWithDiscoveryTest, AFailedSearchLaunchesTheBareJava) {
  AddRuntime(L"abc", L"C:\\abc");
  EXPECT_THROW(RunTimerTick(ui, process, modMain), ProcessEnded);
  ASSERT_EQ(process.started.size(), 1U);
  EXPECT_EQ(process.started[0].commandLine.rfind(L"java -classpath ", 0), 0U);
  EXPECT_EQ(ui.exitCode, kExitStarted);
}

}  // namespace
}  // namespace tq
