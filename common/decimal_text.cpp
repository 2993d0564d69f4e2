#include "common/decimal_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tq {

std::wstring DecimalText(long long value) {
  std::array<char, 24> digits{};  // 19 digits and the sign fit
  char* const end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  return {digits.data(), end};
}

std::wstring HexText(std::uint64_t value, std::size_t digits) {
  std::wstring text;
  for (; value != 0 || text.size() < digits; value /= 16) {
    text.insert(text.begin(), L"0123456789abcdef"[value % 16]);
  }
  return text;
}

std::wstring NumberText(double value) {
  if (std::isnan(value)) {
    return L"not a number";
  }
  constexpr double kLargest = 1e12;
  if (std::fabs(value) >= kLargest) {
    return value < 0 ? L"less than -10^12" : L"more than 10^12";
  }
  constexpr long long kMillionths = 1000000;
  const auto scaled = static_cast<long long>(std::llround(std::fabs(value) * kMillionths));
  std::wstring text = (value < 0 && scaled != 0 ? L"-" : L"") + DecimalText(scaled / kMillionths);
  long long fraction = scaled % kMillionths;
  if (fraction != 0) {
    std::wstring decimals = DecimalText(fraction);
    decimals.insert(0, 6 - decimals.size(), L'0');
    while (decimals.back() == L'0') {
      decimals.pop_back();
    }
    text += L"." + decimals;
  }
  return text;
}

}  // namespace tq
