// The settings file beside the launcher: how its bytes are read on every
// Windows, what its lines may say, and how its values become paths.

#include "launcher/launch_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/paths.h"
#include "common/unicode_text.h"
#include "launcher/launch_choices.h"
#include "launcher/settings_text.h"
#include "platform/memory/code_pages.h"
#include "platform/memory/memory_process_services.h"

namespace tq {
namespace {

std::string Utf16(std::wstring_view text, bool littleEndian) {
  std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (const wchar_t c : text) {
    const char low = static_cast<char>(c & 0xFF);
    const char high = static_cast<char>((c >> 8) & 0xFF);
    bytes += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

SettingsResult<DecodedText> Decode(std::string_view bytes) {
  return DecodeText(bytes, [](const std::string& ansi) { return FromWindows1252(ansi); });
}

// The one file as Notepad saves it on Windows XP (ANSI, "Unicode") and on
// Windows 10 and 11 (UTF-8, with and without its mark), and as "Unicode big
// endian": each must read as the same settings, letters beyond ASCII too.
TEST(SettingsFileTest, EveryEncodingNotepadSavesReadsTheSame) {
  const std::wstring text =
      L"; Tovane Quillon\r\n[Java]\r\nHome=C:\\Programme\\Tovane \u00dcber\\jre\r\n"
      L"Options=-Dname=\u00e9t\u00e9\r\n";
  const std::vector<std::pair<std::string, TextEncoding>> files = {
      {ToWindows1252(text), TextEncoding::kAnsi},
      {Utf16(text, true), TextEncoding::kUtf16LeWithBom},
      {"\xEF\xBB\xBF" + ToUtf8(text), TextEncoding::kUtf8WithBom},
      {ToUtf8(text), TextEncoding::kUtf8},
      {Utf16(text, false), TextEncoding::kUtf16BeWithBom},
  };
  for (const auto& [bytes, encoding] : files) {
    SCOPED_TRACE(std::string(EncodingName(encoding).begin(), EncodingName(encoding).end()));
    const SettingsResult<DecodedText> decoded = Decode(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->encoding, encoding);
    const SettingsResult<LaunchSettings> parsed = ParseSettings(decoded->text);
    ASSERT_TRUE(parsed) << parsed.error().line;
    EXPECT_EQ(parsed->javaHome->text, L"C:\\Programme\\Tovane \u00dcber\\jre");
    EXPECT_EQ(parsed->javaHome->line, 3);
    EXPECT_EQ(parsed->javaOptions->text, L"-Dname=\u00e9t\u00e9");
  }

  // Beyond the Basic Multilingual Plane, the same surrogate pair from UTF-8
  // and from UTF-16.
  const std::wstring clef = {static_cast<wchar_t>(0xD834), static_cast<wchar_t>(0xDD1E)};
  EXPECT_EQ(Decode("\xF0\x9D\x84\x9E")->text, clef);
  EXPECT_EQ(Decode(Utf16(clef, true))->text, clef);
  EXPECT_EQ(ToUtf8(clef), "\xF0\x9D\x84\x9E");
}

TEST(SettingsFileTest, BytesThatAreNoTextAreRefusedWithTheirLine) {
  struct Case {
    std::string bytes;
    int line;
    const wchar_t* what;
  };
  const std::vector<Case> cases = {
      // A byte that ends no UTF-8 sequence after the mark, an overlong form,
      // an encoded surrogate.
      {"\xEF\xBB\xBF[Java]\r\nHome=C:\\\xFC"
       "ber",
       2, L"this line holds bytes that are not UTF-8"},
      {"\xEF\xBB\xBF\n\n\xC0\xAF", 3, L"this line holds bytes that are not UTF-8"},
      {"\xEF\xBB\xBF\xED\xA0\x80", 1, L"this line holds bytes that are not UTF-8"},
      {"\xFF\xFE[\0J", 0, L"the file ends in the middle of a UTF-16 character"},
      {std::string("\xFF\xFE\x0A\x00\x00\xD8", 6), 2, L"this line holds a broken UTF-16 character"},
      // UTF-16 saved without its mark reads as ANSI with NULs in it.
      {std::string("[\0J\0", 4), 1,
       L"this line holds a NUL character (a UTF-16 file must begin with its byte order mark)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const SettingsResult<DecodedText> decoded = Decode(c.bytes);
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error().line, c.line);
    EXPECT_EQ(decoded.error().what, c.what);
  }
  // Without a mark, bytes that are no UTF-8 are the system's code page.
  EXPECT_EQ(Decode("Home=C:\\\xFC")->text, L"Home=C:\\\u00fc");
}

TEST(SettingsFileTest, LinesAreSectionsKeysCommentsOrBlankInAnyCaseAndSpacing) {
  const SettingsResult<LaunchSettings> parsed = ParseSettings(
      L"\r\n  ; a comment\n# another\r[ java ]\r\n  HOME  =  \"C:\\Program Files\\jre\"  \r\n"
      L"options=-Xmx512m  -Da=\"b c\"\n[LAUNCHER]\nsingleinstance=Yes\n[log]\nfile=\nJavaOutput=x");
  ASSERT_TRUE(parsed) << parsed.error().line;
  const LaunchSettings& settings = *parsed;
  EXPECT_EQ(settings.javaHome->text, L"C:\\Program Files\\jre");  // quotes of a path go
  EXPECT_EQ(settings.javaHome->line, 5);
  EXPECT_EQ(settings.javaOptions->text, L"-Xmx512m  -Da=\"b c\"");  // options stay as written
  EXPECT_TRUE(settings.SingleInstance());
  EXPECT_EQ(settings.logFile->text, L"");
  EXPECT_EQ(settings.javaOutput->text, L"x");
  EXPECT_FALSE(ParseSettings(L"[Launcher]\nSingleInstance=NO")->SingleInstance());
  EXPECT_TRUE(ParseSettings(L""));
}

TEST(SettingsFileTest, EveryMistakeIsNamedByItsLineAndSetting) {
  struct Case {
    const wchar_t* text;
    int line;
    const wchar_t* setting;
    const wchar_t* what;
  };
  const std::vector<Case> cases = {
      {L"[Java]\nHome=jre\n[Jav]", 3, L"",
       L"[Jav] is not a section of this file; its sections are [Java], [Launcher] and [Log]"},
      {L"[Java]\nHomme=jre", 2, L"[Java] Homme",
       L"not a key of [Java]; its keys are Home, Search, MinVersion, MaxVersion, Bits, Options"},
      {L"[Log]\nHome=jre", 2, L"[Log] Home", L"not a key of [Log]; its keys are File, JavaOutput"},
      {L"Home=jre", 1, L"Home", L"outside any section; put [Java], [Launcher] or [Log] above it"},
      {L"[Java]\nHome=a\n\nhome=b", 4, L"[Java] Home", L"given twice; first on line 2"},
      {L"[Launcher]\nSingleInstance=maybe", 2, L"[Launcher] SingleInstance",
       L"\"maybe\" is not allowed; write yes or no"},
      {L"[Launcher]\nSingleInstance=", 2, L"[Launcher] SingleInstance",
       L"\"\" is not allowed; write yes or no"},
      {L"[Java]\nHome jre", 2, L"", L"\"Home jre\" is not a setting: write key=value, as Home=jre"},
      {L"[Java]\n=jre", 2, L"", L"\"=jre\" is not a setting: write key=value, as Home=jre"},
      {L"[Java\nHome=jre", 1, L"", L"\"[Java\" is not a section: a section line is [Name]"},
      // The search's keys: their words and versions, and the keys they need
      // or cannot stand beside.
      {L"[Java]\nSearch=JavaSoft, Registry", 2, L"[Java] Search",
       L"\"Registry\" is not one of JavaSoft, JAVA_HOME, PATH or Folders"},
      {L"[Java]\nSearch=PATH, path", 2, L"[Java] Search", L"\"path\" is named twice"},
      {L"[Java]\nSearch= , ", 2, L"[Java] Search",
       L"names nothing; write one or more of JavaSoft, JAVA_HOME, PATH or Folders"},
      {L"[Java]\nSearch=PATH\nMinVersion=eight", 3, L"[Java] MinVersion",
       L"\"eight\" is not a version; write one as 1.8, 8 or 17.0.9"},
      {L"[Java]\nHome=jre\nSearch=PATH", 3, L"[Java] Search",
       L"not together with [Java] Home (line 2): name one runtime, or search for one"},
      {L"[Java]\nMaxVersion=11", 2, L"[Java] MaxVersion",
       L"of use only beside [Java] Search; add it, or take this line out"},
      {L"[Java]\nBits=64", 2, L"[Java] Bits",
       L"of use only beside [Java] Search or [Java] Home; add it, or take this line out"},
      {L"[Java]\nBits=16\nHome=jre", 2, L"[Java] Bits",
       L"\"16\" is not allowed; write 32, 64 or any"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
    const SettingsResult<LaunchSettings> parsed = ParseSettings(c.text);
    ASSERT_FALSE(parsed) << "a file with a mistake sets nothing";
    EXPECT_EQ(parsed.error().line, c.line);
    EXPECT_EQ(parsed.error().setting, c.setting);
    EXPECT_EQ(parsed.error().what, c.what);
  }
  const SettingsResult<LaunchSettings> tooLong =
      ParseSettings(L"[Java]\nOptions=" + std::wstring(kLongestSettingValue + 1, L'x'));
  ASSERT_FALSE(tooLong);
  EXPECT_EQ(tooLong.error().what, L"too long: 32768 characters, where 32767 is the most");
}

class ResolveSettingsTest : public ::testing::Test {
 protected:
  ResolveSettingsTest() {
    process.environment = {{L"JAVA_HOME", L"D:\\Java\\jre8"}, {L"APPDATA", L"C:\\Users\\a"}};
  }

  SettingsResult<ResolvedSettings> Resolve(const std::wstring& text,
                                           const std::wstring& folder = L"C:\\App") {
    const SettingsResult<LaunchSettings> parsed = ParseSettings(text);
    EXPECT_TRUE(parsed);
    return ResolveSettings(parsed.value(), folder, process);
  }

  Journal journal;
  FaultPlan faults;
  MemoryProcessServices process{journal, faults, L"C:\\App", L"C:\\"};
};

TEST_F(ResolveSettingsTest, PathsAreExpandedAndTakenFromTheLauncherFolder) {
  struct Case {
    const wchar_t* home;
    const wchar_t* folder;
    const wchar_t* full;
  };
  const std::vector<Case> cases = {
      {L"jre", L"C:\\App", L"C:\\App\\jre"},
      {L"..\\jre", L"C:\\App", L"C:\\App\\..\\jre"},
      {L"jre", L"C:\\", L"C:\\jre"},
      {L"\\Java\\jre", L"D:\\App", L"D:\\Java\\jre"},
      {L"%JAVA_HOME%", L"C:\\App", L"D:\\Java\\jre8"},
      {L"%java_home%\\", L"C:\\App", L"D:\\Java\\jre8"},
      {L"%UNDEFINED%\\jre", L"C:\\App", L"C:\\App\\%UNDEFINED%\\jre"},
      {L"\\\\server\\share\\jre", L"C:\\App", L"\\\\server\\share\\jre"},
      {L"E:jre", L"C:\\App", L"E:jre"},
      {L"C:\\", L"C:\\App", L"C:\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.home)));
    const SettingsResult<ResolvedSettings> resolved = Resolve(
        std::wstring(L"[Java]\nHome=") + c.home + L"\n[Log]\nJavaOutput=" + c.home, c.folder);
    ASSERT_TRUE(resolved);
    EXPECT_EQ(resolved->choices.javaHome, c.full);
  }
  const SettingsResult<ResolvedSettings> resolved = Resolve(
      L"[Java]\nOptions=-Xmx1g "
      L"-Dhome=%APPDATA%\n[Log]\nFile=%APPDATA%\\tq.log\nJavaOutput=out.txt");
  EXPECT_EQ(resolved->choices.javaOptions, L"-Xmx1g -Dhome=C:\\Users\\a");
  EXPECT_EQ(resolved->choices.logFile, L"C:\\Users\\a\\tq.log");
  EXPECT_EQ(resolved->choices.javaOutput, L"C:\\App\\out.txt");
  EXPECT_EQ(resolved->choices.javaHome, L"") << "no Home: the registry decides";
}

TEST_F(ResolveSettingsTest, PathsTooLongForWindowsAreProblemsOfTheirSetting) {
  // 233 characters leave room for "\lib\javax.comm.properties" in 259.
  const std::wstring longest = L"C:\\" + std::wstring(230, L'j');
  EXPECT_TRUE(Resolve(L"[Java]\nHome=" + longest));
  const SettingsResult<ResolvedSettings> home = Resolve(L"[Java]\n\nHome=" + longest + L"j");
  ASSERT_FALSE(home) << "nothing is chosen from a file with a problem";
  EXPECT_EQ(home.error().line, 3);
  EXPECT_EQ(home.error().setting, L"[Java] Home");
  EXPECT_EQ(home.error().what, L"too long: " + longest +
                                   L"j has 234 characters, and 233 "
                                   L"characters at most leave room for the files in it");

  EXPECT_TRUE(Resolve(L"[Log]\nFile=C:\\" + std::wstring(256, L'l')));
  const SettingsResult<ResolvedSettings> log =
      Resolve(L"[Log]\nFile=C:\\" + std::wstring(257, L'l'));
  ASSERT_FALSE(log);
  EXPECT_EQ(log.error().setting, L"[Log] File");

  // %NAME% can make a short line long.
  process.environment[L"BIG"] = std::wstring(32500, L'x');
  const SettingsResult<ResolvedSettings> options = Resolve(L"[Java]\nOptions=%BIG%");
  ASSERT_FALSE(options);
  EXPECT_EQ(options.error().setting, L"[Java] Options");
}

TEST(LauncherPathsTest, TheSettingsFileAndTheLogAreNamedAfterTheProgram) {
  EXPECT_EQ(SiblingFile(L"C:\\App\\TovaneQuillon.exe", L".ini"), L"C:\\App\\TovaneQuillon.ini");
  EXPECT_EQ(SiblingFile(L"C:\\App\\Server.EXE", L".ini"), L"C:\\App\\Server.ini");
  EXPECT_EQ(SiblingFile(L"C:\\App\\launcher", L".ini"), L"C:\\App\\launcher.ini");
  EXPECT_EQ(ProgramBaseName(L"C:\\My App.v2\\Tovane Server.exe"), L"Tovane Server");
  EXPECT_EQ(FolderOfPath(L"C:\\TovaneQuillon.exe"), L"C:\\");
  EXPECT_EQ(FolderOfPath(L"\\\\server\\share\\TovaneQuillon.exe"), L"\\\\server\\share");
}

// The search's keys: the words and versions each takes, and bounds no
// runtime could meet (their other mistakes stand in the table above).
TEST_F(ResolveSettingsTest, TheSearchKeysTakeTheirWordsAndVersionsAndBoundsARuntimeCanMeet) {
  const SettingsResult<ResolvedSettings> resolved = Resolve(
      L"[Java]\nSearch = folders, JAVA_HOME ,javasoft\nMinVersion=1.8\nMaxVersion=17\nBits=ANY");
  ASSERT_TRUE(resolved);
  const LaunchChoices& choices = resolved->choices;
  EXPECT_EQ(choices.javaSearch, (std::vector{RuntimeSource::kFolders, RuntimeSource::kJavaHome,
                                             RuntimeSource::kJavaSoft}));
  EXPECT_EQ(choices.minVersion->Text(), L"1.8");
  EXPECT_EQ(choices.maxVersion->Text(), L"17");
  EXPECT_EQ(choices.javaBits, RuntimeBits::kAny);
  EXPECT_EQ(Resolve(L"[Java]\nHome=jre\nBits=32")->choices.javaBits, RuntimeBits::k32);

  for (const auto& [text, lowest] :
       {std::pair{L"MinVersion=11\nMaxVersion=1.8", L"11"}, std::pair{L"MaxVersion=1.4", L"1.5"}}) {
    const SettingsResult<ResolvedSettings> unmet =
        Resolve(std::wstring(L"[Java]\nSearch=PATH\n") + text);
    ASSERT_FALSE(unmet);
    EXPECT_EQ(unmet.error().setting, L"[Java] MaxVersion");
    EXPECT_EQ(unmet.error().what, std::wstring(L"lower than ") + lowest +
                                      L", the lowest version allowed: no runtime could be taken");
  }
}

}  // namespace
}  // namespace tq
