#include "platform/memory/memory_number_conversion.h"

#include <string>

#include "common/error.h"

namespace tq {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

double MemoryNumberConversion::ToDouble(const std::wstring& text) {
  ++calls;
  if (faults_ != nullptr) {
    faults_->CountCallAndRaise(Operation::kToDouble);
  }
  // A text of blanks alone leaves `at` at npos and `end` at 0: no digits.
  std::size_t at = text.find_first_not_of(L' ');
  const std::size_t end = text.find_last_not_of(L' ') + 1;
  bool negative = false;
  if (at < end && (text[at] == L'+' || text[at] == L'-')) {
    negative = text[at] == L'-';
    ++at;
  }
  double value = 0;
  bool digits = false;
  for (; at < end && (IsDigit(text[at]) || text[at] == L','); ++at) {
    if (text[at] != L',') {
      value = value * 10 + (text[at] - L'0');
      digits = true;
    }
  }
  if (at < end && text[at] == L'.') {
    double scale = 0.1;
    for (++at; at < end && IsDigit(text[at]); ++at) {
      value += (text[at] - L'0') * scale;
      scale /= 10;
      digits = true;
    }
  }
  if (!digits || at != end) {
    throw TypeMismatch();
  }
  return negative ? -value : value;
}

}  // namespace tq
