#pragma once

#include "interfaces/number_conversion.h"
#include "platform/win32/unique_any.h"

namespace tq {

// The system's variant conversion (VarR8FromStr) in the invariant locale:
// a version such as "1.4" must read as one point four on every machine,
// whatever the user's decimal separator is.
//
// oleaut32, which holds it, is loaded at the first conversion, from the
// system folder by its full path, not with the program: under Wine it and
// the COM DLLs it imports cost the splash some 30 ms and a quarter of a
// megabyte before the launcher's first line, for a call made after the
// splash is gone, and only when the registry is searched.
class Win32NumberConversion final : public NumberConversion {
 public:
  double ToDouble(const std::wstring& text) override;

 private:
  UniqueHmodule oleaut32_;
};

}  // namespace tq
