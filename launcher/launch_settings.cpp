#include "launcher/launch_settings.h"

#include <array>

#include "common/decimal_text.h"
#include "common/text.h"

namespace tq {
namespace {

enum class Kind { kPath, kText, kYesNo };

struct Key {
  std::wstring_view section;
  std::wstring_view name;
  Kind kind;
  std::optional<SettingValue> LaunchSettings::*member;
};

constexpr std::array<Key, 5> kKeys = {{
    {L"Java", L"Home", Kind::kPath, &LaunchSettings::javaHome},
    {L"Java", L"Options", Kind::kText, &LaunchSettings::javaOptions},
    {L"Launcher", L"SingleInstance", Kind::kYesNo, &LaunchSettings::singleInstance},
    {L"Log", L"File", Kind::kPath, &LaunchSettings::logFile},
    {L"Log", L"JavaOutput", Kind::kPath, &LaunchSettings::javaOutput},
}};

constexpr std::array<std::wstring_view, 3> kSections = {L"Java", L"Launcher", L"Log"};

// Paths are often written in quotes, as on a command line; the quotes are no
// part of the folder's name.
std::wstring_view Unquoted(std::wstring_view text) {
  if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
    return Trimmed(text.substr(1, text.size() - 2));
  }
  return text;
}

std::wstring KeysOf(std::wstring_view section) {
  std::wstring names;
  for (const Key& key : kKeys) {
    if (key.section == section) {
      names += names.empty() ? L"" : L", ";
      names += key.name;
    }
  }
  return names;
}

class Parser {
 public:
  ParsedSettings Parse(std::wstring_view text) {
    int line = 0;
    for (const std::wstring_view lineText : Lines(text)) {
      ++line;
      ParseLine(line, Trimmed(lineText));
      if (result_.problem) {
        break;
      }
    }
    if (result_.problem) {
      result_.settings = {};
    }
    return std::move(result_);
  }

 private:
  void Fail(int line, std::wstring setting, std::wstring what) {
    result_.problem = SettingsProblem{line, std::move(setting), std::move(what)};
  }

  void ParseLine(int line, std::wstring_view text) {
    if (text.empty() || text.front() == L';' || text.front() == L'#') {
      return;
    }
    if (text.front() == L'[') {
      ParseSection(line, text);
      return;
    }
    const std::size_t equals = text.find(L'=');
    const std::wstring_view name =
        equals == std::wstring_view::npos ? std::wstring_view() : Trimmed(text.substr(0, equals));
    if (name.empty()) {
      Fail(line, {}, Quoted(text) + L" is not a setting: write key=value, as Home=jre");
      return;
    }
    if (section_.empty()) {
      Fail(line, std::wstring(name),
           L"outside any section; put [Java], [Launcher] or [Log] above it");
      return;
    }
    ParseValue(line, name, Trimmed(text.substr(equals + 1)));
  }

  void ParseSection(int line, std::wstring_view text) {
    if (text.back() != L']') {
      Fail(line, {}, Quoted(text) + L" is not a section: a section line is [Name]");
      return;
    }
    const std::wstring_view name = Trimmed(text.substr(1, text.size() - 2));
    for (const std::wstring_view section : kSections) {
      if (SameIgnoringAsciiCase(name, section)) {
        section_ = section;
        return;
      }
    }
    Fail(line, {},
         L"[" + std::wstring(name) +
             L"] is not a section of this file; its sections are [Java], [Launcher] and [Log]");
  }

  void ParseValue(int line, std::wstring_view name, std::wstring_view value) {
    const Key* key = nullptr;
    for (const Key& candidate : kKeys) {
      if (candidate.section == section_ && SameIgnoringAsciiCase(name, candidate.name)) {
        key = &candidate;
      }
    }
    const std::wstring setting =
        L"[" + std::wstring(section_) + L"] " + std::wstring(key != nullptr ? key->name : name);
    if (key == nullptr) {
      Fail(line, setting,
           L"not a key of [" + std::wstring(section_) + L"]; its keys are " + KeysOf(section_));
      return;
    }
    std::optional<SettingValue>& slot = result_.settings.*(key->member);
    if (slot) {
      Fail(line, setting, L"given twice; first on line " + DecimalText(slot->line));
      return;
    }
    if (value.size() > kLongestSettingValue) {
      Fail(line, setting,
           L"too long: " + DecimalText(static_cast<long long>(value.size())) +
               L" characters, where " + DecimalText(kLongestSettingValue) + L" is the most");
      return;
    }
    if (key->kind == Kind::kPath) {
      value = Unquoted(value);
    }
    if (key->kind == Kind::kYesNo && !SameIgnoringAsciiCase(value, L"yes") &&
        !SameIgnoringAsciiCase(value, L"no")) {
      Fail(line, setting, Quoted(value) + L" is not allowed; write yes or no");
      return;
    }
    slot = SettingValue{std::wstring(value), line};
  }

  ParsedSettings result_;
  std::wstring_view section_;
};

}  // namespace

bool LaunchSettings::SingleInstance() const {
  return singleInstance && SameIgnoringAsciiCase(singleInstance->text, L"yes");
}

ParsedSettings ParseSettings(std::wstring_view text) { return Parser().Parse(text); }

}  // namespace tq
