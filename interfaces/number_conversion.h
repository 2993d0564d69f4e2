#pragma once

#include <string>

namespace tq {

// Reads a version prefix such as "1.5" as a number.
class NumberConversion {
 public:
  virtual ~NumberConversion() = default;

  // Raises tq::Error 13 "Type mismatch" when the text is no number.
  virtual double ToDouble(const std::wstring& text) = 0;
};

}  // namespace tq
