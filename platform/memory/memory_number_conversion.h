#pragma once

#include <string>

#include "interfaces/number_conversion.h"
#include "platform/memory/fault_plan.h"

namespace tq {

// Reads numbers the way the Windows conversion does with a period as the
// decimal separator and a comma as digit grouping, for the texts a version
// prefix can hold: blanks around, a sign, digits with grouping commas, one
// decimal point and digits. Anything else is a type mismatch.
class MemoryNumberConversion final : public NumberConversion {
 public:
  // Without a plan it only reads, and never fails otherwise: the reading
  // that the whole-run prediction and the Windows agreement test rely on.
  MemoryNumberConversion() = default;
  explicit MemoryNumberConversion(FaultPlan& faults) : faults_(&faults) {}

  double ToDouble(const std::wstring& text) override;

  // How often ToDouble was called.
  int calls = 0;

 private:
  FaultPlan* faults_ = nullptr;
};

}  // namespace tq
