// The settings file reader on any bytes, and on any text saved in every
// encoding Notepad writes: it must never fail other than by a problem with a
// line inside the file, and the same text must read the same whichever way
// it was saved.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/text.h"
#include "common/unicode_text.h"
#include "launcher/launch_settings.h"
#include "launcher/settings_text.h"
#include "platform/memory/code_pages.h"

namespace tq {
namespace {

void Check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

int LineCount(std::wstring_view text) { return static_cast<int>(Lines(text).size()); }

SettingsResult<DecodedText> Decode(std::string_view bytes) {
  return DecodeText(bytes, [](const std::string& ansi) { return FromWindows1252(ansi); });
}

bool SameValue(const std::optional<SettingValue>& a, const std::optional<SettingValue>& b) {
  return a.has_value() == b.has_value() && (!a || (a->text == b->text && a->line == b->line));
}

bool SameSettings(const SettingsResult<LaunchSettings>& a,
                  const SettingsResult<LaunchSettings>& b) {
  if (static_cast<bool>(a) != static_cast<bool>(b)) {
    return false;
  }
  if (!a) {
    return a.error().line == b.error().line && a.error().setting == b.error().setting &&
           a.error().what == b.error().what;
  }
  const LaunchSettings& x = *a;
  const LaunchSettings& y = *b;
  return SameValue(x.javaHome, y.javaHome) && SameValue(x.javaOptions, y.javaOptions) &&
         SameValue(x.singleInstance, y.singleInstance) && SameValue(x.logFile, y.logFile) &&
         SameValue(x.javaOutput, y.javaOutput);
}

std::string Utf16Le(std::wstring_view text) {
  std::string bytes = "\xFF\xFE";
  for (const wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>((c >> 8) & 0xFF);
  }
  return bytes;
}

// The bytes as any file: whatever they hold, a problem names a line of the
// text (or none), and settings that read name lines of it.
void ReadAnyBytes(std::string_view bytes) {
  const SettingsResult<DecodedText> decoded = Decode(bytes);
  if (!decoded) {
    Check(decoded.error().line >= 0 && !decoded.error().what.empty(), "a problem says what");
    return;
  }
  const std::wstring& text = decoded->text;
  const SettingsResult<LaunchSettings> parsed = ParseSettings(text);
  const int lines = LineCount(text);
  if (!parsed) {
    Check(parsed.error().line >= 1 && parsed.error().line <= lines, "a problem's line is a line");
    return;
  }
  for (const auto* value :
       {&parsed->javaHome, &parsed->javaOptions, &parsed->logFile, &parsed->javaOutput}) {
    if (*value) {
      Check((*value)->line >= 1 && (*value)->line <= lines, "a value's line is a line");
      Check((*value)->text.size() <= kLongestSettingValue, "a value is never too long");
    }
  }
}

// The bytes as the text of a settings file, built from a few words, saved in
// each encoding: all must read alike.
void ReadEveryEncoding(FuzzedDataProvider& input) {
  static const std::wstring kWords[] = {
      L"[Java]",         L"[launcher]", L"[Log]",      L"[Jav]", L"Home", L"Options",
      L"SingleInstance", L"File",       L"JavaOutput", L"=",     L"yes",  L"No",
      L"maybe",          L"\"",         L"; ",         L"#",     L" ",    L"\t",
      L"\r\n",           L"\n",         L"\r",         L"C:\\",  L"jre",  L"%JAVA_HOME%",
      L"\u00fcber",      L"\u00e9",     L"-Xmx1g"};
  std::wstring text;
  while (input.remaining_bytes() > 0 && text.size() < 4096) {
    text += kWords[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kWords) - 1)];
  }
  const SettingsResult<LaunchSettings> expected = ParseSettings(text);
  for (const std::string& bytes : {ToWindows1252(text), Utf16Le(text),
                                   std::string(kUtf8ByteOrderMark) + ToUtf8(text), ToUtf8(text)}) {
    const SettingsResult<DecodedText> decoded = Decode(bytes);
    Check(decoded && decoded->text == text, "each encoding gives the text back");
    Check(SameSettings(ParseSettings(decoded->text), expected), "each encoding reads the same");
  }
}

}  // namespace
}  // namespace tq

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  if (data[0] % 2 == 0) {
    tq::ReadAnyBytes(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  } else {
    FuzzedDataProvider input(data + 1, size - 1);
    tq::ReadEveryEncoding(input);
  }
  return 0;
}
