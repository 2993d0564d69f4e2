#include "common/decimal_text.h"

#include <array>
#include <charconv>

namespace tq {

std::wstring DecimalText(long long value) {
  std::array<char, 24> digits{};  // 19 digits and the sign fit
  char* const end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  return {digits.data(), end};
}

}  // namespace tq
