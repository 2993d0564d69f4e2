// What a deployer puts beside the launcher: a settings file that names a
// private Java runtime and its options, the decision log, Java's output in a
// file, one running application per folder, and a clear box for every
// mistake in the file; a search for the runtime where a deployer cannot know
// its folder. Launchers without a settings file are the other
// suites' business: they must behave as they always did.

#include <iostream>
#include <string>
#include <vector>

#include "launcher/startup_sequence.h"
#include "tests/e2e/discovery_test.h"
#include "tests/e2e/java_runtimes.h"
#include "tests/e2e/stand_in_record.h"
#include "tests/e2e/window_watch.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"
#include "tests/pe_images.h"

namespace tq::e2e {
namespace {

constexpr wchar_t kSettingsName[] = L"TovaneQuillon.ini";

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

// The text in the system's code page, or nothing when a character of it has
// no place there.
std::optional<std::string> Ansi(const std::wstring& text) {
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, &lossy);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, &lossy);
  return lossy ? std::nullopt : std::optional<std::string>(bytes);
}

std::string Utf16Le(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (const wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

class SettingsTest : public DiscoveryTest {
 protected:
  static constexpr unsigned kWholeRun = 25000;

  // A launcher of its own folder with a settings file of these bytes.
  [[nodiscard]] LauncherLayout LayOutWithSettings(const std::wstring& folderName,
                                                  const std::string& settings) const {
    LauncherLayout layout(scratch.path(), folderName, programs.launcher);
    WriteFileBytes(layout.folder() + L"\\" + kSettingsName, settings);
    return layout;
  }

  // The one box a launcher shows before its splash, read and answered; the
  // launcher then ends with `exitCode`, having started nothing.
  void ExpectOneBoxThenTheEnd(WatchedProcess& launcher, const std::wstring& text,
                              unsigned exitCode) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = NextMessageBox(launcher.pid(), nullptr)) != nullptr; },
              kBoxTimeout);
    ASSERT_NE(box, nullptr) << "no message box";
    const MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ(view.text, text);
    EXPECT_EQ(view.title, text::kLauncherTitle);
    EXPECT_EQ(view.buttons.size(), 1U);
    EXPECT_FALSE(view.hasIcon);
    EXPECT_EQ(FindVisibleWindow(launcher.pid(), kSplashClass), nullptr)
        << "the splash shows with a box that ends the launcher";
    ASSERT_TRUE(PressButton(box, IDOK));
    const std::optional<DWORD> exit = launcher.WaitForExit(5000);
    ASSERT_TRUE(exit) << "the launcher runs on after OK";
    EXPECT_EQ(*exit, exitCode);
    EXPECT_TRUE(ChildProcesses(launcher.pid()).empty()) << "the launcher started a process";
  }

  // The stand-in started as `javaPath`, by `launcher`, with `options`
  // between the program and -classpath.
  void ExpectJavaWithOptions(const StandInRecord& java, const WatchedProcess& launcher,
                             const LauncherLayout& layout, const std::wstring& javaPath,
                             const std::wstring& options) {
    EXPECT_EQ(java.program, javaPath);
    EXPECT_EQ(java.parentPid, launcher.pid());
    std::wstring expectedLine = expected::JavaCommand(L"\"" + javaPath + L"\"", layout.folder());
    expectedLine.insert(expectedLine.find(L" -classpath ") + 1, options + L" ");
    EXPECT_EQ(java.commandLine, expectedLine);
    EXPECT_EQ(java.workingDirectory, layout.folder());
    EXPECT_EQ(java.consoleWindow, kConsoleHidden);
  }
};

TEST_F(SettingsTest,
       APrivateRuntimeBesideTheLauncherIsStartedWithTheOptionsAndGetsTheSupportFiles) {
  // Registered runtimes are not looked at: Home names the runtime.
  AddRuntime(L"1.6.0_45", SupportFiles::kPresent);
  const SupportFolder support(SupportFolder::State::kProvided);
  const LauncherLayout layout =
      LayOutWithSettings(L"Tovane Private",
                         "; the runtime shipped with the application\r\n[Java]\r\nHome = jre\r\n"
                         "Options = -Xmx512m -Dtq.site=%TQ_E2E_SITE%\r\n");
  const JavaRuntimeFolder jre(layout.folder() + L"\\jre", programs.standInJava,
                              SupportFiles::kMissing);
  EnvironmentOverrides environment = records.Environment();
  environment.emplace_back(L"TQ_E2E_SITE", L"north");
  WatchedProcess launcher = StartLauncher(layout, environment);

  const std::vector<StandInRecord> started = records.WaitFor(1, kRecordTimeout);
  ASSERT_EQ(started.size(), 1U) << "Java was not started";
  ExpectJavaWithOptions(started[0], launcher, layout, jre.java(), L"-Xmx512m -Dtq.site=north");
  EXPECT_EQ(started[0].arguments.at(1), L"-Xmx512m");
  EXPECT_EQ(started[0].arguments.at(3), L"-classpath");

  const std::optional<DWORD> exit = launcher.WaitForExit(kWholeRun);
  ASSERT_TRUE(exit);
  EXPECT_EQ(*exit, kExitStarted);
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    EXPECT_TRUE(ReadFileBytes(jre.home() + expected::PathInRuntime(file)) ==
                SupportFolderContent(file.name))
        << "not copied: " << Narrow(std::wstring(file.name));
  }
}

TEST_F(SettingsTest, AHomeWithoutJavaExeIsNamedInOneBoxAndNothingStarts) {
  const LauncherLayout layout =
      LayOutWithSettings(L"Tovane No Java", "[Java]\r\nHome=%TQ_E2E_NO_JRE%\\jre\r\n");
  CreateDirectoryW((layout.folder() + L"\\empty").c_str(), nullptr);
  EnvironmentOverrides environment = records.Environment();
  environment.emplace_back(L"TQ_E2E_NO_JRE", layout.folder() + L"\\empty");
  WatchedProcess launcher = StartLauncher(layout, environment);

  // After the splash: the settings are fine, the runtime is not.
  ASSERT_NO_FATAL_FAILURE(AnswerMessageBoxes(
      launcher, {text::NoJavaInConfiguredHome(layout.folder() + L"\\" + kSettingsName, 2,
                                              L"%TQ_E2E_NO_JRE%\\jre",
                                              layout.folder() + L"\\empty\\jre\\bin\\java.exe")}));
  ExpectEndedWithoutLaunchAfterOk(launcher);
}

TEST_F(SettingsTest, EveryMistakeInTheFileIsOneBoxBeforeTheSplashAndNothingStarts) {
  struct Case {
    const wchar_t* folder;
    std::string settings;
    std::wstring problem;
  };
  const std::vector<Case> cases = {
      {L"Section", "[Java]\r\nHome=jre\r\n[Jave]\r\n",
       L"Line 3: [Jave] is not a section of this file; its sections are [Java], [Launcher] and "
       L"[Log]"},
      {L"Key", "[Java]\r\nHomeDir=jre\r\n",
       L"Line 2, [Java] HomeDir: not a key of [Java]; its keys are Home, Search, MinVersion, "
       L"MaxVersion, Bits, Options"},
      {L"Value", "[Launcher]\r\nSingleInstance=maybe\r\n",
       L"Line 2, [Launcher] SingleInstance: \"maybe\" is not allowed; write yes or no"},
      {L"Long", "[Log]\r\nFile=" + std::string(300, 'l') + "\r\n", L""},
      {L"Line", "[Java]\r\n-Xmx512m\r\n",
       L"Line 2: \"-Xmx512m\" is not a setting: write key=value, as Home=jre"},
      {L"Locked", "[Java]\r\nHome=jre\r\n", L"The file cannot be read: Permission denied"},
  };
  // All at once, each launcher in a folder of its own.
  std::vector<LauncherLayout> layouts;
  std::vector<WatchedProcess> launchers;
  UniqueHandle lock;
  for (const Case& c : cases) {
    layouts.push_back(LayOutWithSettings(std::wstring(L"Tovane Bad ") + c.folder, c.settings));
    layouts.back().PlaceJava(programs.standInJava);
  }
  // Locked the way an editor that is writing it holds it.
  lock.reset(CreateFileW((layouts.back().folder() + L"\\" + kSettingsName).c_str(), GENERIC_WRITE,
                         0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock.valid());
  for (const LauncherLayout& layout : layouts) {
    launchers.push_back(StartLauncher(layout, records.Environment()));
  }
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(Narrow(cases[i].folder));
    std::wstring problem = cases[i].problem;
    if (problem.empty()) {
      const std::wstring path = layouts[i].folder() + L"\\" + std::wstring(300, L'l');
      problem = L"Line 2, [Log] File: too long: " + path + L" has " + std::to_wstring(path.size()) +
                L" characters, where Windows takes 259 characters at most";
    }
    ExpectOneBoxThenTheEnd(launchers[i],
                           text::BadSettings(layouts[i].folder() + L"\\" + kSettingsName, problem),
                           kExitBadSettings);
  }
  EXPECT_TRUE(records.Read().empty()) << "Java was started";
}

TEST_F(SettingsTest, TheFileReadsAlikeInEveryEncodingNotepadSavesWithLettersBeyondAscii) {
  // Latin letters for the system's code page; Cyrillic and CJK only where
  // the encoding can hold any letter.
  const std::wstring latin = L"jre \u00dcber \u00e9t\u00e9";
  const std::wstring beyond = L"jre \u0436\u0443\u043a \u6771";
  const std::optional<std::string> ansi = Ansi(L"[Java]\r\nHome=" + latin + L"\r\n");
  ASSERT_TRUE(ansi) << "this system's code page (" << GetACP() << ") lacks " << Narrow(latin);
  ASSERT_NE(*ansi, Utf8(L"[Java]\r\nHome=" + latin + L"\r\n"))
      << "the system's code page is UTF-8: the ANSI file would prove nothing";
  struct Saved {
    const wchar_t* name;
    std::wstring home;
    std::string bytes;
  };
  const std::vector<Saved> files = {
      {L"ANSI", latin, *ansi},
      {L"Unicode", beyond, Utf16Le(L"[Java]\r\nHome=" + beyond + L"\r\n")},
      {L"UTF-8 BOM", beyond, "\xEF\xBB\xBF" + Utf8(L"[Java]\r\nHome=" + beyond + L"\r\n")},
      {L"UTF-8", beyond, Utf8(L"[Java]\r\nHome=" + beyond + L"\r\n")},
  };
  std::vector<LauncherLayout> layouts;
  std::vector<JavaRuntimeFolder> runtimes;
  std::vector<WatchedProcess> launchers;
  for (const Saved& file : files) {
    layouts.push_back(LayOutWithSettings(std::wstring(L"Tovane ") + file.name, file.bytes));
    runtimes.emplace_back(layouts.back().folder() + L"\\" + file.home, programs.standInJava,
                          SupportFiles::kPresent);
  }
  for (const LauncherLayout& layout : layouts) {
    launchers.push_back(StartLauncher(layout, records.Environment()));
  }
  const std::vector<StandInRecord> started = records.WaitFor(files.size(), kRecordTimeout);
  ASSERT_EQ(started.size(), files.size()) << "not every launcher started its Java";
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(Narrow(files[i].name));
    const auto java = std::find_if(started.begin(), started.end(), [&](const StandInRecord& r) {
      return r.parentPid == launchers[i].pid();
    });
    ASSERT_NE(java, started.end());
    EXPECT_EQ(java->program, runtimes[i].java());
    EXPECT_EQ(java->commandLine,
              expected::JavaCommand(L"\"" + runtimes[i].java() + L"\"", layouts[i].folder()));
  }
}

TEST_F(SettingsTest, TheLogTellsEachDecisionAndJavasEndWhileTheWaitStaysTenSeconds) {
  AddRuntime(L"1.4.2_19", SupportFiles::kPresent);
  const JavaRuntimeFolder chosen = AddRuntime(L"1.6.0_45", SupportFiles::kMissing);
  WriteFileBytes(chosen.home() + L"\\lib\\javax.comm.properties", "the user's own");
  const SupportFolder support(SupportFolder::State::kProvided);
  const LauncherLayout layout =
      LayOutWithSettings(L"Tovane Logged", "[Log]\r\nJavaOutput=logs\\java output.log\r\n");
  CreateDirectoryW((layout.folder() + L"\\logs").c_str(), nullptr);
  const std::wstring log = scratch.path() + L"\\decisions \u00fc.log";
  WriteFileBytes(log,
                 "\xEF\xBB\xBF"
                 "an earlier run\r\n");

  // Java writes to its standard error and ends with exit code 3 two seconds
  // after its start.
  EnvironmentOverrides environment = records.Environment(2000);
  environment.emplace_back(kExitCodeVariable, L"3");
  environment.emplace_back(kStandardErrorVariable, L"Exception in thread \"main\": no jar");
  WatchedProcess launcher =
      StartProgram(layout.launcher(), L"--log=\"" + log + L"\" --ignored", {}, environment);

  const std::vector<StandInRecord> started = records.WaitFor(1, kRecordTimeout);
  ASSERT_EQ(started.size(), 1U) << "Java was not started";
  const std::optional<DWORD> exit = launcher.WaitForExit(kWholeRun);
  ASSERT_TRUE(exit) << "the launcher does not end";
  EXPECT_EQ(*exit, kExitStarted);
  const Tick javaToEnd = launcher.exitedAt() - started[0].startedAt;
  EXPECT_GE(javaToEnd, 8500U - EmulationLag() / 2)
      << "the launcher cut its wait short when Java ended";
  EXPECT_LE(javaToEnd, 11500U + EmulationLag() / 2);

  const std::string text = ReadFileBytes(log);
  std::cout << text;
  EXPECT_EQ(text.rfind("\xEF\xBB\xBF"
                       "an earlier run\r\n",
                       0),
            0U)
      << "the log was not appended";
  const std::string home = Utf8(chosen.home());
  const std::vector<std::string> told = {
      "TovaneQuillon version 1.0.0.0 started: " + Utf8(layout.launcher()),
      "command line: \"" + Utf8(layout.launcher()) + "\" --log=",
      "[Log] JavaOutput=logs\\java output.log",
      "version key \"1.4.2_19\": prefix \"1.4\" reads as 1.4, below 1.5: passed over",
      "version key \"1.6.0_45\": prefix \"1.6\" reads as 1.6, at least 1.5: chosen",
      "JavaHome of \"1.6.0_45\": \"" + home + "\"",
      "support file missing, copying it from C:\\tovane\\GsmModemJar\\Comm.jar: " + home,
      "support file copied: " + home + "\\lib\\ext\\Comm.jar",
      "support file present: " + home + "\\lib\\javax.comm.properties",
      "starting Java in " + Utf8(layout.folder()) + ": " + home + "\\bin\\java.exe -classpath",
      "Java started as process " + std::to_string(started[0].pid),
      "ended",
      "with exit code 3",
      "the launcher ends with exit code 0"};
  std::size_t at = 0;
  for (const std::string& line : told) {
    const std::size_t found = text.find(line, at);
    EXPECT_NE(found, std::string::npos) << "the log lacks, or has out of order: " << line;
    at = found == std::string::npos ? at : found;
  }
  // Java's end, 2000 ms or so into the wait, later by its own start.
  const std::size_t ended = text.find(" ms into the wait, with exit code 3");
  ASSERT_NE(ended, std::string::npos);
  const int into = std::stoi(text.substr(text.rfind("ended ", ended) + 6));
  EXPECT_GE(into, 1500);
  EXPECT_LE(into, 4500 + static_cast<int>(EmulationLag() / 2));

  const std::string output = ReadFileBytes(layout.folder() + L"\\logs\\java output.log");
  EXPECT_NE(output.find("Exception in thread \"main\": no jar"), std::string::npos)
      << "Java's standard error did not reach the file: " << output;
}

TEST_F(SettingsTest, OneRunningApplicationAFolderForAsLongAsJavaRunsThenANewStart) {
  const std::string settings = "[Launcher]\r\nSingleInstance=yes\r\n";
  const LauncherLayout layout = LayOutWithSettings(L"Tovane Single", settings);
  layout.PlaceJava(programs.standInJava);
  const LauncherLayout other = LayOutWithSettings(L"Tovane Other", settings);
  other.PlaceJava(programs.standInJava);
  RegisterJavaRuntime(registry, L"1.6", L"");  // the bare java beside each launcher

  WatchedProcess first = StartLauncher(layout, records.Environment());
  ASSERT_EQ(records.WaitFor(1, kRecordTimeout).size(), 1U) << "the first Java was not started";

  // While the first launcher waits: a second start from its folder is
  // turned away; one from another folder is not.
  WatchedProcess second = StartLauncher(layout, records.Environment());
  ASSERT_NO_FATAL_FAILURE(
      ExpectOneBoxThenTheEnd(second, text::AlreadyRunning(layout.folder()), kExitAlreadyRunning));
  WatchedProcess elsewhere = StartLauncher(other, records.Environment());
  ASSERT_EQ(records.WaitFor(2, kRecordTimeout).size(), 2U) << "another folder's start was blocked";

  // The first launcher has ended; its Java runs on, and so does the guard.
  ASSERT_TRUE(first.WaitForExit(kWholeRun)) << "the first launcher does not end";
  WatchedProcess third = StartLauncher(layout, records.Environment());
  ASSERT_NO_FATAL_FAILURE(
      ExpectOneBoxThenTheEnd(third, text::AlreadyRunning(layout.folder()), kExitAlreadyRunning));

  // Java ends the hard way: the guard goes with it.
  const std::vector<StandInRecord> running = records.Read();
  const auto firstJava = std::find_if(running.begin(), running.end(), [&](const StandInRecord& r) {
    return r.parentPid == first.pid();
  });
  ASSERT_NE(firstJava, running.end());
  UniqueHandle java(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, firstJava->pid));
  ASSERT_TRUE(java.valid());
  TerminateProcess(java.get(), 9);
  WaitForSingleObject(java.get(), 10000);
  WatchedProcess fourth = StartLauncher(layout, records.Environment());
  const std::vector<StandInRecord> after = records.WaitFor(3, kRecordTimeout);
  ASSERT_EQ(after.size(), 3U) << "no new start after the application ended";
  EXPECT_TRUE(std::any_of(after.begin(), after.end(),
                          [&](const StandInRecord& r) { return r.parentPid == fourth.pid(); }));
}

// --- The runtime search of the settings file ----------------------------------

// What the settings must add for the stand-in java.exe to be taken: it is
// of this build, as this program is; nothing for the 32-bit one (the search
// takes 32-bit runtimes), Bits=64 for the other.
std::string BitsForTheStandIn() { return sizeof(void*) == 4 ? "" : "Bits=64\r\n"; }

// A Java 9-style key in the 64-bit registry view, pointing at a 64-bit
// runtime, is refused with Bits left as it is (32, for the serial-port DLL):
// one box says what was found and why it was not taken, then the end.
TEST_F(SettingsTest, ASearchRefusesThe64BitRuntimeOfThe64BitViewInOneBox) {
  RegistryScope view64(KEY_WOW64_64KEY);
  const std::wstring jdk = scratch.path() + L"\\jdk-17 64";
  WriteFileBytes(jdk + L"\\bin\\java.exe", pe_images::PeImage(0x8664));  // x64
  WriteFileBytes(jdk + L"\\release", "JAVA_VERSION=\"17.0.9\"\r\n");
  view64.SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\JavaSoft\\JRE\\17", L"JavaHome", jdk);
  const LauncherLayout layout =
      LayOutWithSettings(L"Tovane Search 64", "[Java]\r\nSearch=JavaSoft\r\n");
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  ASSERT_NO_FATAL_FAILURE(AnswerMessageBoxes(
      launcher,
      {text::NoRuntimeTaken(layout.folder() + L"\\" + kSettingsName,
                            L"Line 2: [Java] Search=JavaSoft", L"Java 1.5 or later, 32-bit",
                            L"Found, and not taken:\r\n- " + jdk + L" (JavaSoft, Java 17.0.9): " +
                                text::NeedsA32BitJava(L"64-bit (x64)") + L"\r\n")}));
  ExpectEndedWithoutLaunchAfterOk(launcher);
}

// JAVA_HOME leads to a runtime too old, so the distributions' folders are
// searched: the runtime in Eclipse Adoptium with its release file is taken,
// gets the support files and is started; a folder without java.exe beside
// it is no runtime.
TEST_F(SettingsTest, ASearchGoesFromJavaHomeToTheFoldersAndStartsTheRuntimeOfEclipseAdoptium) {
  const SupportFolder support(SupportFolder::State::kProvided);
  const LauncherLayout layout = LayOutWithSettings(
      L"Tovane Search", "[Java]\r\nSearch=JAVA_HOME, Folders\r\n" + BitsForTheStandIn() +
                            "[Log]\r\nFile=search.log\r\n");
  const std::wstring programFiles = scratch.path() + L"\\Program Files";
  const JavaRuntimeFolder old(scratch.path() + L"\\jre1.4", programs.standInJava);
  WriteFileBytes(old.home() + L"\\release", "JAVA_VERSION=\"1.4.2_19\"\n");
  const JavaRuntimeFolder temurin(programFiles + L"\\Eclipse Adoptium\\jre-8.0.392.8-hotspot",
                                  programs.standInJava);
  WriteFileBytes(temurin.home() + L"\\release",
                 "IMPLEMENTOR=\"Eclipse Adoptium\"\nJAVA_VERSION=\"1.8.0_392\"\n");
  WriteFileBytes(programFiles + L"\\Eclipse Adoptium\\docs\\README.txt", "no runtime");
  EnvironmentOverrides environment = records.Environment();
  for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) {
    environment.emplace_back(name, programFiles);
  }
  environment.emplace_back(L"JAVA_HOME", old.home() + L"\\");
  WatchedProcess launcher = StartLauncher(layout, environment);

  const StandInRecord java =
      ExpectOneJavaStarted(launcher, layout, temurin.java(), L"\"" + temurin.java() + L"\"");
  const std::optional<DWORD> exit = launcher.WaitForExit(kWholeRun);
  ASSERT_TRUE(exit);
  EXPECT_EQ(*exit, kExitStarted);
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    EXPECT_TRUE(IsFile(temurin.home() + expected::PathInRuntime(file))) << "not copied";
  }
  const std::string log = ReadFileBytes(layout.folder() + L"\\search.log");
  for (const std::string& line : std::vector<std::string>{
           "runtime " + Utf8(old.home()) + " (JAVA_HOME=" + Utf8(old.home()) +
               "\\): Java 1.4.2_19 (from its release file)",
           "older than 1.5, the lowest version allowed",
           "runtime " + Utf8(temurin.home()) + " (Folders): Java 1.8.0_392 (from its release file)",
           "chosen: " + Utf8(temurin.home())}) {
    EXPECT_NE(log.find(line), std::string::npos) << "the log lacks: " << line << "\n" << log;
  }
}

}  // namespace
}  // namespace tq::e2e
