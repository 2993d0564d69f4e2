#pragma once

#include <map>

#include "common/error.h"
#include "interfaces/number_conversion.h"

namespace tq {

// Reads numbers the way the Windows conversion does with a period as the
// decimal separator and a comma as digit grouping, for the texts a version
// prefix can hold: blanks around, a sign, digits with grouping commas, one
// decimal point and digits. Anything else is a type mismatch.
class MemoryNumberConversion final : public NumberConversion {
 public:
  double ToDouble(const std::wstring& text) override;

  // Makes the callNumber-th call (counted from 1) raise the error instead of
  // reading the text.
  void FailCall(int callNumber, Error error);

  int calls = 0;

 private:
  std::map<int, Error> faults_;
};

}  // namespace tq
