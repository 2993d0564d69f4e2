#include "common/text.h"

#include <algorithm>

namespace tq {

std::wstring_view Trimmed(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

std::wstring Concatenated(std::initializer_list<std::wstring_view> parts) {
  std::size_t size = 0;
  for (const std::wstring_view part : parts) {
    size += part.size();
  }
  std::wstring text;
  text.reserve(size);
  for (const std::wstring_view part : parts) {
    text += part;
  }
  return text;
}

std::wstring_view Unquoted(std::wstring_view text) {
  if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
    return Trimmed(text.substr(1, text.size() - 2));
  }
  return text;
}

std::wstring Quoted(std::wstring_view text) { return L"\"" + std::wstring(text) + L"\""; }

std::vector<std::wstring_view> ItemsOf(std::wstring_view list, wchar_t separator) {
  std::vector<std::wstring_view> items;
  while (!list.empty()) {
    const std::size_t end = std::min(list.find(separator), list.size());
    if (const std::wstring_view item = Trimmed(list.substr(0, end)); !item.empty()) {
      items.push_back(item);
    }
    list.remove_prefix(std::min(end + 1, list.size()));
  }
  return items;
}

std::vector<std::wstring_view> Lines(std::wstring_view text) {
  std::vector<std::wstring_view> lines;
  std::size_t begin = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (EndsLine(text, at)) {
      const bool pair = text[at] == L'\n' && at > begin && text[at - 1] == L'\r';
      lines.push_back(text.substr(begin, at - begin - (pair ? 1 : 0)));
      begin = at + 1;
    }
  }
  lines.push_back(text.substr(begin));
  return lines;
}

std::wstring AsciiUpperCase(std::wstring_view text) {
  std::wstring upper(text);
  std::ranges::transform(upper, upper.begin(), AsciiUpper);
  return upper;
}

bool SameIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  return AsciiUpperCase(a) == AsciiUpperCase(b);
}

}  // namespace tq
