#include "launcher/launch_settings.h"

#include <algorithm>
#include <vector>

#include "common/decimal_text.h"
#include "common/text.h"
#include "runtime/java_version.h"

namespace tq {
namespace {

// "a, b or c" with last " or ", "a and b" with " and ".
std::wstring Listed(const std::vector<std::wstring>& items, const wchar_t* last) {
  std::wstring listed;
  for (std::size_t i = 0; i < items.size(); ++i) {
    listed += i == 0 ? L"" : i + 1 < items.size() ? L", " : last;
    listed += items[i];
  }
  return listed;
}

// "[Java], [Launcher] or [Log]": the sections in the order their keys come.
std::wstring Sections(const wchar_t* last) {
  std::vector<std::wstring> sections;
  for (const SettingKey& key : SettingKeys()) {
    const std::wstring name = L"[" + std::wstring(key.section) + L"]";
    if (std::ranges::find(sections, name) == sections.end()) {
      sections.push_back(name);
    }
  }
  return Listed(sections, last);
}

std::wstring KeysOf(std::wstring_view section) {
  std::vector<std::wstring> names;
  for (const SettingKey& key : SettingKeys()) {
    if (key.section == section) {
      names.emplace_back(key.name);
    }
  }
  return Listed(names, L", ");
}

class Parser {
 public:
  SettingsResult<LaunchSettings> Parse(std::wstring_view text) {
    int line = 0;
    for (const std::wstring_view lineText : Lines(text)) {
      if (ParseLine(++line, Trimmed(lineText)); problem_) {
        return Unexpected<SettingsProblem>{*problem_};
      }
    }
    if (CheckTogether(); problem_) {
      return Unexpected<SettingsProblem>{*problem_};
    }
    return settings_;
  }

 private:
  void Fail(int line, std::wstring setting, std::wstring what) {
    problem_ = SettingsProblem{line, std::move(setting), std::move(what)};
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
    } else if (section_.empty()) {
      Fail(line, std::wstring(name),
           L"outside any section; put " + Sections(L" or ") + L" above it");
    } else {
      ParseValue(line, name, Trimmed(text.substr(equals + 1)));
    }
  }

  void ParseSection(int line, std::wstring_view text) {
    if (text.back() != L']') {
      Fail(line, {}, Quoted(text) + L" is not a section: a section line is [Name]");
      return;
    }
    const std::wstring_view name = Trimmed(text.substr(1, text.size() - 2));
    for (const SettingKey& key : SettingKeys()) {
      if (SameIgnoringAsciiCase(name, key.section)) {
        section_ = key.section;
        return;
      }
    }
    Fail(line, {},
         L"[" + std::wstring(name) + L"] is not a section of this file; its sections are " +
             Sections(L" and "));
  }

  void ParseValue(int line, std::wstring_view name, std::wstring_view value) {
    const auto keys = SettingKeys();
    const auto key = std::ranges::find_if(keys, [&](const SettingKey& candidate) {
      return candidate.section == section_ && SameIgnoringAsciiCase(name, candidate.name);
    });
    if (key == keys.end()) {
      Fail(line, L"[" + std::wstring(section_) + L"] " + std::wstring(name),
           L"not a key of [" + std::wstring(section_) + L"]; its keys are " + KeysOf(section_));
      return;
    }
    std::optional<SettingValue>& slot = settings_.*(key->written);
    if (slot) {
      Fail(line, key->Name(), L"given twice; first on line " + DecimalText(slot->line));
    } else if (value.size() > kLongestSettingValue) {
      Fail(line, key->Name(),
           L"too long: " + DecimalText(static_cast<long long>(value.size())) +
               L" characters, where " + DecimalText(kLongestSettingValue) + L" is the most");
    } else if (std::wstring wrong = WrongValue(*key, value); !wrong.empty()) {
      Fail(line, key->Name(), std::move(wrong));
    } else {
      slot = SettingValue{std::wstring(key->kind == SettingKind::kPath ? Unquoted(value) : value),
                          line};
    }
  }

  // What is wrong with a value of the key's kind, or nothing.
  static std::wstring WrongValue(const SettingKey& key, std::wstring_view value) {
    const auto isWord = [&](std::wstring_view item) {
      return std::ranges::any_of(
          key.words, [&](std::wstring_view word) { return SameIgnoringAsciiCase(item, word); });
    };
    const std::wstring words = Listed({key.words.begin(), key.words.end()}, L" or ");
    switch (key.kind) {
      case SettingKind::kWord:
        return isWord(value) ? L"" : Quoted(value) + L" is not allowed; write " + words;
      case SettingKind::kWords: {
        std::vector<std::wstring_view> seen;
        for (const std::wstring_view item : ItemsOf(value, L',')) {
          if (!isWord(item)) {
            return Quoted(item) + L" is not one of " + words;
          }
          if (std::ranges::any_of(seen, [&](auto s) { return SameIgnoringAsciiCase(s, item); })) {
            return Quoted(item) + L" is named twice";
          }
          seen.push_back(item);
        }
        return seen.empty() ? L"names nothing; write one or more of " + words : L"";
      }
      case SettingKind::kVersion:
        return ParseJavaVersion(value)
                   ? L""
                   : Quoted(value) + L" is not a version; write one as 1.8, 8 or 17.0.9";
      case SettingKind::kPath:
      case SettingKind::kText:
        break;
    }
    return {};
  }

  // Keys that do not go together, checked once every line is read, in the
  // order of the table.
  void CheckTogether() {
    for (const SettingKey& key : SettingKeys()) {
      const std::optional<SettingValue>& value = settings_.*(key.written);
      if (!value) {
        continue;
      }
      for (const WrittenSetting other : key.notWith) {
        if (const std::optional<SettingValue>& beside = settings_.*other) {
          Fail(value->line, key.Name(),
               L"not together with " + KeyOf(other).Name() + L" (line " +
                   DecimalText(beside->line) + L"): name one runtime, or search for one");
          return;
        }
      }
      if (!key.needsOneOf.empty() &&
          std::ranges::none_of(key.needsOneOf, [&](WrittenSetting other) {
            return (settings_.*other).has_value();
          })) {
        std::vector<std::wstring> names;
        for (const WrittenSetting other : key.needsOneOf) {
          names.push_back(KeyOf(other).Name());
        }
        Fail(value->line, key.Name(),
             L"of use only beside " + Listed(names, L" or ") + L"; add it, or take this line out");
        return;
      }
    }
  }

  LaunchSettings settings_;
  std::optional<SettingsProblem> problem_;
  std::wstring_view section_;
};

}  // namespace

std::wstring SettingKey::Name() const {
  return L"[" + std::wstring(section) + L"] " + std::wstring(name);
}

const SettingKey& KeyOf(WrittenSetting written) {
  const auto keys = SettingKeys();
  return *std::ranges::find(keys, written, &SettingKey::written);
}

bool LaunchSettings::SingleInstance() const {
  return singleInstance && SameIgnoringAsciiCase(singleInstance->text, L"yes");
}

SettingsResult<LaunchSettings> ParseSettings(std::wstring_view text) {
  return Parser().Parse(text);
}

}  // namespace tq
