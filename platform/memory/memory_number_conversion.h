#pragma once

#include "runtime/number_conversion.h"

namespace tq {

// Reads numbers the way the Windows conversion does with a period as the
// decimal separator and a comma as digit grouping, for the texts a version
// prefix can hold: blanks around, a sign, digits with grouping commas, one
// decimal point and digits. Anything else is a type mismatch.
class MemoryNumberConversion final : public NumberConversion {
 public:
  double ToDouble(const std::wstring& text) override;

  int calls = 0;
};

}  // namespace tq
