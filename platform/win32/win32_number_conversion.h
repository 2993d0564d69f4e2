#pragma once

#include "interfaces/number_conversion.h"

namespace tq {

// The system's variant conversion (VarR8FromStr) in the invariant locale:
// a version such as "1.4" must read as one point four on every machine,
// whatever the user's decimal separator is.
class Win32NumberConversion final : public NumberConversion {
 public:
  double ToDouble(const std::wstring& text) override;
};

}  // namespace tq
