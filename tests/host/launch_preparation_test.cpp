// What the launcher does before its splash (the --log switch, the settings
// file, the guard) and what its decision log says, on the in-memory doubles.

#include "launcher/launch_preparation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/decimal_text.h"
#include "common/letter_case.h"
#include "launcher/launch_choices.h"
#include "launcher/launcher_arguments.h"
#include "launcher/startup_sequence.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_instance_guard.h"
#include "platform/memory/memory_launcher_files.h"
#include "platform/memory/memory_number_conversion.h"
#include "platform/memory/memory_process_services.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_system_information.h"
#include "platform/memory/memory_user_interface.h"
#include "runtime/decision_log.h"
#include "runtime/logged_registry.h"
#include "runtime/mod_main.h"
#include "runtime/pe_image.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"
#include "tests/pe_images.h"

namespace tq {
namespace {

using Arguments = std::vector<std::wstring>;

TEST(LauncherArgumentsTest, TheCommandLineSplitsAsTheCRuntimeSplitsIt) {
  struct Case {
    const wchar_t* line;
    Arguments arguments;
  };
  const std::vector<Case> cases = {
      {L"\"C:\\My App\\tq.exe\" --log", {L"C:\\My App\\tq.exe", L"--log"}},
      {L"C:\\App\\tq.exe  a\tb ", {L"C:\\App\\tq.exe", L"a", L"b"}},
      {L"tq \"--log=C:\\a b\\x.log\"", {L"tq", L"--log=C:\\a b\\x.log"}},
      {L"tq a\\\\\\\"b c\\\\\"d e\" f\\\\x", {L"tq", L"a\\\"b", L"c\\d e", L"f\\\\x"}},
      {L"tq \"a\"\"b\" \"\"", {L"tq", L"a\"b", L""}},
      {L"\"C:\\App\\tq.exe", {L"C:\\App\\tq.exe"}},
      {L"", {L""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommandLineArguments(c.line), c.arguments) << testing::PrintToString(c.line);
  }

  EXPECT_FALSE(FindLogSwitch(L"tq.exe").given);
  EXPECT_FALSE(FindLogSwitch(L"tq.exe --logfile -log /log --LOG \"--log \"").given)
      << "only --log and --log=PATH are the switch";
  EXPECT_FALSE(FindLogSwitch(L"\"C:\\--log\\tq.exe\"").given) << "the program's name is no switch";
  EXPECT_TRUE(FindLogSwitch(L"tq.exe x --log y").given);
  EXPECT_EQ(FindLogSwitch(L"tq.exe --log").path, L"");
  EXPECT_EQ(FindLogSwitch(L"tq.exe \"--log=C:\\a b\\x.log\"").path, L"C:\\a b\\x.log");
  EXPECT_EQ(FindLogSwitch(L"tq.exe --log=a.log --log=b.log").path, L"b.log");
}

TEST(DecisionLogTest, EachLineIsStampedAndWholeAndOnlyANewFileGetsTheMark) {
  EXPECT_EQ(DecisionLog::Stamp(2026, 1, 2, 3, 4, 5, 6, 7, 89),
            L"2026-01-02 03:04:05.006 +7 ms [89] ");
  EXPECT_EQ(NumberText(1.5), L"1.5");
  EXPECT_EQ(NumberText(14), L"14");
  EXPECT_EQ(NumberText(-0.25), L"-0.25");
  EXPECT_EQ(NumberText(1.0 / 3), L"0.333333");
  EXPECT_EQ(NumberText(5e12), L"more than 10^12");

  Journal journal;
  FaultPlan faults;
  MemoryLauncherFiles files(journal, faults);
  files.writableFolders = {L"C:\\logs"};
  MemorySystemInformation system;
  {
    DecisionLog log(files, system);
    log.Open(L"C:\\logs\\a.log");
    log.Write(L"two\r\nlines\tand\na tab");
  }
  const std::string first =
      "\xEF\xBB\xBF"
      "2026-12-09 14:03:07.250 +40 ms [1234] two / lines and / a tab\r\n";
  EXPECT_EQ(files.logs[L"C:\\logs\\a.log"], first);
  {
    DecisionLog log(files, system);
    log.Open(L"C:\\logs\\a.log");
    log.Write(L"\u00fcber");
  }
  EXPECT_EQ(files.logs[L"C:\\logs\\a.log"], first +
                                                "2026-12-09 14:03:07.250 +41 ms [1234] \xC3\xBC"
                                                "ber\r\n")
      << "appended, in UTF-8, without a second mark";

  DecisionLog nowhere(files, system);
  nowhere.Open(L"D:\\missing\\a.log");
  nowhere.Write(L"lost");
  EXPECT_FALSE(nowhere.IsOn());
  EXPECT_FALSE(nowhere.WasOpened());
}

// A machine with a launcher in C:\App, a registered runtime 1.6 in C:\jre6
// with its support files in place, and the platform's doubles.
class PreparationTest : public ::testing::Test {
 protected:
  PreparationTest() {
    registry.SetString(kHkeyLocalMachine, std::wstring(expected::kJavaRuntimeKey) + L"\\1.4",
                       L"JavaHome", L"C:\\jre4");
    registry.SetString(kHkeyLocalMachine, std::wstring(expected::kJavaRuntimeKey) + L"\\1.6",
                       L"JavaHome", L"C:\\jre6");
    for (const expected::SupportFile& file : expected::kSupportFiles) {
      files.AddFile(L"C:\\jre6" + expected::PathInRuntime(file), "in place");
    }
    launcherFiles.writableFolders = {L"C:\\App", L"C:\\Temp"};
    launcherFiles.temporaryFolder = L"C:\\Temp\\";
  }

  // The run before the splash and then the tick, to the end of the process.
  void Run() {
    try {
      PreparedLaunch prepared = PrepareLaunch({ui, process, launcherFiles, system, guard}, log);
      ModMain modMain{loggedRegistry,
                      factory.Bind(),
                      numbers,
                      ui,
                      log,
                      std::move(prepared.javaHome),
                      std::move(prepared.search)};
      RunTimerTick(ui, process, modMain, prepared.choices, log);
    } catch (const ProcessEnded&) {
    }
  }

  [[nodiscard]] std::string Log(const std::wstring& path) { return launcherFiles.logs[path]; }

  Journal journal;
  FaultPlan faults;
  MemoryProcessServices process{journal, faults, L"C:\\App", L"C:\\"};
  MemoryUserInterface ui{journal};
  MemoryRegistry registry{faults};
  MemoryFileSystem files{journal, faults};
  MemoryFileSystemFactory factory{files, journal, faults};
  MemoryNumberConversion numbers{faults};
  MemoryLauncherFiles launcherFiles{journal, faults};
  MemorySystemInformation system;
  MemoryInstanceGuard guard{journal, faults};
  DecisionLog log{launcherFiles, system};
  LoggedRegistry loggedRegistry{registry, log};
};

TEST_F(PreparationTest, WithoutSettingsOrSwitchTheRunIsTheOneItAlwaysWas) {
  Run();
  EXPECT_EQ(journal.lines.front(), L"LauncherProgram");
  EXPECT_EQ(journal.lines[1], L"ReadFile C:\\App\\TovaneQuillon.ini");
  EXPECT_EQ(journal.lines[2], L"CloseSplash");
  EXPECT_EQ(journal.lines.end()[-2], L"Sleep 10000");
  ASSERT_EQ(process.started.size(), 1U);
  EXPECT_EQ(process.started[0].commandLine,
            expected::JavaCommand(L"C:\\jre6\\bin\\java.exe", L"C:\\App"));
  EXPECT_EQ(process.started[0].options.outputFile, L"");
  EXPECT_FALSE(process.started[0].options.inheritHandles);
  EXPECT_TRUE(launcherFiles.logs.empty());
}

TEST_F(PreparationTest, ABadSettingsFileIsOneBoxNamingFileLineSettingAndStartsNothing) {
  launcherFiles.AddFile(L"C:\\App\\TovaneQuillon.ini", "[Java]\r\nHome=jre\r\nHeap=512m\r\n");
  Run();
  EXPECT_EQ(ui.messages, std::vector<std::wstring>{text::BadSettings(
                             L"C:\\App\\TovaneQuillon.ini",
                             L"Line 3, [Java] Heap: not a key of [Java]; its keys are Home, "
                             L"Search, MinVersion, MaxVersion, Bits, Options")});
  EXPECT_EQ(ui.exitCode, kExitBadSettings);
  EXPECT_FALSE(ui.splashClosed);
  EXPECT_TRUE(process.started.empty());

  launcherFiles.DenyRead(L"C:\\App\\TovaneQuillon.ini");
  ui.messages.clear();
  Run();
  EXPECT_EQ(ui.messages,
            std::vector<std::wstring>{text::BadSettings(
                L"C:\\App\\TovaneQuillon.ini", L"The file cannot be read: Permission denied")});

  MemoryLauncherFiles big(journal, faults);
  big.AddFile(L"C:\\App\\TovaneQuillon.ini", std::string(kLargestSettingsFile + 1, ';'));
  ui.messages.clear();
  try {
    PrepareLaunch({ui, process, big, system, guard}, log);
  } catch (const ProcessEnded&) {
  }
  EXPECT_EQ(ui.messages, std::vector<std::wstring>{text::BadSettings(
                             L"C:\\App\\TovaneQuillon.ini", L"The file is larger than 64 KB")});
}

TEST_F(PreparationTest, TheLogTellsEveryDecisionAndTheWaitStaysTenSeconds) {
  process.commandLine += L" --log";
  process.programEnd = ProgramEnd{3, 2000};
  launcherFiles.AddFile(L"C:\\App\\TovaneQuillon.ini",
                        "[Java]\r\nOptions=-Xmx256m\r\n[Log]\r\nJavaOutput=java.log\r\n");
  Run();
  EXPECT_EQ(ui.exitCode, kExitStarted);
  std::vector<std::wstring> steps;
  for (const std::wstring& line : journal.lines) {
    if (line != L"AppendLog") {
      steps.push_back(line);
    }
  }
  const std::vector<std::wstring> wait(steps.end() - 3, steps.end());
  EXPECT_EQ(wait, (std::vector<std::wstring>{L"WaitForStartedProgram 10000", L"Sleep 8000",
                                             L"EndProcess 0"}));
  EXPECT_EQ(launcherFiles.openLog(), L"C:\\Temp\\TovaneQuillon.log");
  const std::string log = Log(L"C:\\Temp\\TovaneQuillon.log");
  const std::vector<std::string> told = {
      "TovaneQuillon version 1.0.0.0 started: C:\\App\\TovaneQuillon.exe\r\n",
      "Windows 5.1.2600 Service Pack 3\r\n",
      "command line: \"C:\\App\\TovaneQuillon.exe\" --log\r\n",
      "decision log: C:\\Temp\\TovaneQuillon.log (asked for by --log)\r\n",
      "settings file read (ANSI (the system's code page)): C:\\App\\TovaneQuillon.ini\r\n",
      "setting on line 2: [Java] Options=-Xmx256m  ->  -Xmx256m\r\n",
      "setting on line 4: [Log] JavaOutput=java.log  ->  C:\\App\\java.log\r\n",
      "the splash closed at its timer's first tick\r\n",
      "registry key opened: HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Runtime Environment\r\n",
      "version key \"1.4\": prefix \"1.4\" reads as 1.4, below 1.5: passed over\r\n",
      "version key \"1.6\": prefix \"1.6\" reads as 1.6, at least 1.5: chosen\r\n",
      "registry key opened: HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Runtime "
      "Environment\\1.6\r\n",
      "JavaHome of \"1.6\": \"C:\\jre6\"\r\n",
      "support file present: C:\\jre6\\lib\\ext\\Comm.jar\r\n",
      "support file present: C:\\jre6\\lib\\ext\\jdc.jar\r\n",
      "starting Java in C:\\App: C:\\jre6\\bin\\java.exe -Xmx256m -classpath \"C:\\App\\",
      "Java's standard output and error go to C:\\App\\java.log\r\n",
      "Java started as process 4000\r\n",
      "Java (process 4000) ended 2000 ms into the wait, with exit code 3\r\n",
      "the launcher ends with exit code 0\r\n",
  };
  std::size_t at = 0;
  for (const std::string& line : told) {
    const std::size_t found = log.find(line, at);
    EXPECT_NE(found, std::string::npos) << "missing, or out of order: " << line << "\nin\n" << log;
    at = found == std::string::npos ? at : found;
  }
  EXPECT_EQ(process.started.at(0).options.outputFile, L"C:\\App\\java.log");
}

// The runtime the settings name, by its bitness (a search's choice is the
// search test's and the end-to-end tests'): Home with Bits refuses another
// in one box; Home alone starts it and the log says what it means for the
// serial port.
TEST_F(PreparationTest, TheRuntimeOfTheSettingsIsTakenByItsBitness) {
  const std::wstring settingsFile = L"C:\\App\\TovaneQuillon.ini";
  files.AddFile(L"C:\\jdk64\\bin\\java.exe", pe_images::PeImage(kMachineAmd64));
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    files.AddFile(L"C:\\jdk64" + expected::PathInRuntime(file), "in place");
  }
  struct Case {
    const char* settings;
    const wchar_t* started;  // the runtime started, or nothing
    std::vector<std::wstring> messages;
    const char* logged;
  };
  const std::vector<Case> cases = {
      {"[Java]\r\nHome=C:\\jdk64\r\nBits=32\r\n",
       nullptr,
       {text::HomeRefused(settingsFile, L"Line 2: [Java] Home=C:\\jdk64", L"Line 3: [Java] Bits=32",
                          L"C:\\jdk64\\bin\\java.exe",
                          L"I" + text::NeedsA32BitJava(L"64-bit (x64)").substr(1))},
       ""},
      {"[Java]\r\nHome=C:\\jdk64\r\n[Log]\r\nFile=C:\\Temp\\tq.log\r\n",
       L"C:\\jdk64",
       {},
       "this runtime is 64-bit (x64): the serial-port support DLL (Win32com.dll) is 32-bit and "
       "will not load in it"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    launcherFiles.AddFile(settingsFile, c.settings);
    ui.messages.clear();
    process.started.clear();
    Run();
    EXPECT_EQ(ui.messages, c.messages);
    if (c.started != nullptr) {
      ASSERT_EQ(process.started.size(), 1U);
      EXPECT_EQ(
          process.started[0].commandLine.rfind(std::wstring(c.started) + L"\\bin\\java.exe ", 0),
          0U);
    } else {
      EXPECT_EQ(ui.exitCode, kExitNoJavaRuntime);
      EXPECT_TRUE(process.started.empty());
    }
    EXPECT_NE(Log(L"C:\\Temp\\tq.log").find(c.logged), std::string::npos);
  }
}

TEST_F(PreparationTest, OneInstanceAFolderAndTheGuardGoesWithTheApplication) {
  launcherFiles.AddFile(L"C:\\App\\TovaneQuillon.ini", "[Launcher]\nSingleInstance=yes\n");
  Run();
  ASSERT_EQ(process.started.size(), 1U);
  EXPECT_TRUE(process.started[0].options.inheritHandles) << "Java must hold the guard on";

  // A second start from the same folder, its letters in another case.
  MemoryProcessServices second(journal, faults, L"c:\\app", L"C:\\");
  try {
    PrepareLaunch({ui, second, launcherFiles, system, guard}, log);
  } catch (const ProcessEnded&) {
  }
  EXPECT_EQ(ui.messages, std::vector<std::wstring>{text::AlreadyRunning(L"c:\\app")});
  EXPECT_EQ(ui.exitCode, kExitAlreadyRunning);
  EXPECT_TRUE(second.started.empty());
}

// The guard's name is the Win32 guard's too: what holds here holds for the
// mutex the shipped launcher creates.
TEST(InstanceGuardNameTest, OneNameAFolderWhateverTheCaseOfItsLetters) {
  const std::vector<std::pair<std::wstring, std::wstring>> same = {
      {L"C:\\App", L"c:\\aPP"},
      {L"C:\\Programme\\\u00dcber", L"c:\\PROGRAMME\\\u00fcber"},
      {L"D:\\\u041f\u0440\u043e\u0433", L"d:\\\u043f\u0420\u041e\u0413"},
      {L"E:\\\u0391\u03c1\u03c7\u03ad\u03c2", L"e:\\\u03b1\u03a1\u03a7\u0388\u03a3"},
  };
  for (const auto& [folder, otherCase] : same) {
    EXPECT_EQ(InstanceGuardName(folder), InstanceGuardName(otherCase));
  }
  EXPECT_NE(InstanceGuardName(L"C:\\\u00c4"), InstanceGuardName(L"C:\\A"));
  EXPECT_NE(InstanceGuardName(L"C:\\App"), InstanceGuardName(L"C:\\App2"));
  // FNV-1a of the folder's upper-cased UTF-16: a guard held by an older
  // launcher of the folder still counts.
  EXPECT_EQ(InstanceGuardName(L"C:\\App"),
            L"Global\\TovaneQuillon.SingleInstance.7a731b135e5d5ae9");
  EXPECT_EQ(InstanceGuardName(L"c:\\programme\\\u00fcber"),
            L"Global\\TovaneQuillon.SingleInstance.8c9964faa0e698e1");
}

TEST_F(PreparationTest, AConfiguredRuntimeWithoutJavaExeIsNamedAndNothingStarts) {
  launcherFiles.AddFile(L"C:\\App\\TovaneQuillon.ini", "[Java]\nHome=\"jre\\\"\n");
  files.AddFolder(L"C:\\App\\jre\\bin");
  Run();
  EXPECT_EQ(ui.messages,
            std::vector<std::wstring>{text::NoJavaInConfiguredHome(
                L"C:\\App\\TovaneQuillon.ini", 2, L"jre\\", L"C:\\App\\jre\\bin\\java.exe")});
  EXPECT_EQ(ui.exitCode, kExitNoJavaRuntime);
  EXPECT_TRUE(process.started.empty());
  EXPECT_TRUE(registry.calls().empty()) << "no registry search for a configured runtime";
}

}  // namespace
}  // namespace tq
