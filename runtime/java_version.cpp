#include "runtime/java_version.h"

#include <algorithm>
#include <cstddef>

#include "common/decimal_text.h"
#include "common/text.h"

namespace tq {
namespace {

constexpr unsigned kLargestNumber = 999999;
constexpr std::size_t kMostNumbers = 8;

constexpr bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Between two numbers: "1.8.0_392" has both.
constexpr bool IsSeparator(wchar_t c) { return c == L'.' || c == L'_'; }

// What follows the numbers and takes no part in comparing: a build ("+9", "-b08"), a pre-release
// ("-ea") or more ("+9-LTS"), in ASCII letters, digits and these marks.
constexpr bool BeginsSuffix(wchar_t c) { return c == L'-' || c == L'+'; }
constexpr bool IsInSuffix(wchar_t c) {
  return IsDigit(c) || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || IsSeparator(c) ||
         BeginsSuffix(c);
}

// The numbers as written, before the legacy "1." is taken off; nothing when the text is not a
// version.
std::optional<std::vector<unsigned>> WrittenNumbers(std::wstring_view text) {
  std::vector<unsigned> numbers;
  std::size_t at = 0;
  while (true) {
    if (at == text.size() || !IsDigit(text[at]) || numbers.size() == kMostNumbers) {
      return std::nullopt;
    }
    unsigned number = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
      number = number * 10 + static_cast<unsigned>(text[at] - L'0');
      if (number > kLargestNumber) {
        return std::nullopt;
      }
    }
    numbers.push_back(number);
    if (at == text.size() || BeginsSuffix(text[at])) {
      return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(), IsInSuffix)
                 ? std::optional(numbers)
                 : std::nullopt;
    }
    if (!IsSeparator(text[at])) {
      return std::nullopt;
    }
    ++at;
  }
}

// Numbers written as the runtime writes its own version: "1.8.0_392" up to Java 8 (legacy),
// "17.0.9" from Java 9 on.
std::wstring WrittenVersion(const std::vector<unsigned>& numbers, bool legacy) {
  std::wstring text = legacy ? L"1." : L"";
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) {
      text += legacy && i == 2 ? L'_' : L'.';
    }
    text += DecimalText(numbers[i]);
  }
  return text;
}

}  // namespace

std::strong_ordering operator<=>(const JavaVersion& left, const JavaVersion& right) {
  const std::size_t count = std::max(left.numbers_.size(), right.numbers_.size());
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned a = i < left.numbers_.size() ? left.numbers_[i] : 0;
    const unsigned b = i < right.numbers_.size() ? right.numbers_[i] : 0;
    if (a != b) {
      return a <=> b;
    }
  }
  return std::strong_ordering::equal;
}

bool operator==(const JavaVersion& left, const JavaVersion& right) {
  return (left <=> right) == std::strong_ordering::equal;
}

std::optional<JavaVersion> ParseJavaVersion(std::wstring_view text) {
  std::optional<std::vector<unsigned>> numbers = WrittenNumbers(text);
  if (!numbers) {
    return std::nullopt;
  }
  // Java 1.0 to 8 called themselves 1.x; from 9 on the first number is the release.
  if (numbers->size() > 1 && numbers->front() == 1) {
    numbers->erase(numbers->begin());
  }
  return JavaVersion(std::move(*numbers), std::wstring(text));
}

std::optional<JavaVersion> ReleaseFileVersion(std::string_view bytes) {
  if (bytes.starts_with(kUtf8ByteOrderMark)) {
    bytes.remove_prefix(kUtf8ByteOrderMark.size());
  }
  constexpr std::string_view kKey = "JAVA_VERSION=";
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find('\n'), bytes.size());
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(std::min(end + 1, bytes.size()));
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    if (!line.starts_with(kKey)) {
      continue;
    }
    std::string_view value = line.substr(kKey.size());
    // The installers write the value in double quotes, as a shell would read it.
    if (value.starts_with('"')) {
      const std::size_t closing = value.find('"', 1);
      if (closing == std::string_view::npos) {
        return std::nullopt;
      }
      value = value.substr(1, closing - 1);
    }
    // A version is ASCII: a byte beyond it, whatever character it becomes, is refused.
    return ParseJavaVersion(std::wstring(value.begin(), value.end()));
  }
  return std::nullopt;
}

// How the OpenJDK build (Oracle's builds and the OpenJDK distributions alike) writes a runtime's
// version into the file version of its programs, the resource compiler's JDK_FVER:
// - Java 9 and later: $(subst .,$(COMMA),$(VERSION_NUMBER_FOUR_POSITIONS)) (FLAGS_SETUP_RCFLAGS in
//   make/autoconf), the four positions $FEATURE.$INTERIM.$UPDATE.$PATCH: 17.0.9 is 17.0.9.0.
// - Java 5 to 8: minor,micro,update,build of 1.minor.micro_update-bbuild, the update "with an extra
//   digit for a potential letter at the end of the string" (Erik Joelsson's review of JDK-8074523,
//   build-dev, May 2015): 1.8.0_392 build 8 is 8.0.3920.8, 1.6.0_45 is 6.0.450. Java 8's rewritten
//   build lost that digit until 8u60 (8u45's java.exe is 8.0.45.9; 8u60 on, the update is
//   COOKED_JDK_UPDATE_VERSION, with the 0 again), so in Java 8 a third word below 600 is the update
//   itself.
std::optional<JavaVersion> VersionFromFileVersion(unsigned a, unsigned b, unsigned c, unsigned d) {
  if (a == 0) {
    return std::nullopt;
  }
  if (a >= 9) {
    std::vector<unsigned> numbers{a, b, c, d};
    // Java writes its version without trailing zeros ("17", "17.0.9").
    while (numbers.size() > 1 && numbers.back() == 0) {
      numbers.pop_back();
    }
    return ParseJavaVersion(WrittenVersion(numbers, false));
  }
  constexpr unsigned kFirstUpdateWithLetterDigitAgain = 600;
  const unsigned update = a == 8 && c < kFirstUpdateWithLetterDigitAgain ? c : c / 10;
  std::vector<unsigned> numbers{a, b};
  if (update > 0) {
    numbers.push_back(update);
  }
  return ParseJavaVersion(WrittenVersion(numbers, true));
}

}  // namespace tq
