#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/error.h"
#include "platform/memory/memory_number_conversion.h"
#include "platform/win32/win32_number_conversion.h"

namespace tq {
namespace {

std::optional<double> Read(NumberConversion& numbers, const std::wstring& text) {
  try {
    return numbers.ToDouble(text);
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), kTypeMismatch)
        << "for \"" << std::string(text.begin(), text.end()) << "\"";
    return std::nullopt;
  }
}

// The host double must read version prefixes exactly as the system's
// conversion does, or the host tests of discovery would prove nothing.
TEST(NumberConversion, TheDoubleAgreesWithTheSystemOnVersionPrefixes) {
  Win32NumberConversion system;
  MemoryNumberConversion memory;
  for (const std::wstring text :
       {L"1.5",  L"1.4",  L"1.6",  L"10",  L"1.",  L".5",  L"1",   L"2.0", L"0.9",
        L" 1.5", L"1.5 ", L"abc",  L"a.5", L"1.a", L"",    L" ",   L"1,5", L"-1.",
        L"+1.",  L"1..",  L"1.5.", L"x1",  L"1-5", L"1_5", L"1e5", L"9.9"}) {
    const std::optional<double> expected = Read(system, text);
    const std::optional<double> actual = Read(memory, text);
    if (text == L"1e5") {
      // The system also reads exponents; no version prefix of three
      // characters holds a usable one, and the double leaves them out.
      continue;
    }
    EXPECT_EQ(expected.has_value(), actual.has_value())
        << "for \"" << std::string(text.begin(), text.end()) << "\"";
    if (expected && actual) {
      EXPECT_DOUBLE_EQ(*expected, *actual) << std::string(text.begin(), text.end());
    }
  }
}

TEST(NumberConversion, AVersionReadsWithAPeriodWhateverTheUsersFormat) {
  EXPECT_DOUBLE_EQ(Win32NumberConversion().ToDouble(L"1.4"), 1.4);
  EXPECT_DOUBLE_EQ(Win32NumberConversion().ToDouble(L"10"), 10.0);
}

}  // namespace
}  // namespace tq
