#pragma once

#include <set>
#include <string>

#include "interfaces/instance_guard.h"
#include "platform/memory/fault_plan.h"
#include "platform/memory/journal.h"

namespace tq {

// Guards held on the machine, by launcher folder (letters in any case).
class MemoryInstanceGuard final : public InstanceGuard {
 public:
  MemoryInstanceGuard(Journal& journal, FaultPlan& faults) : journal_(journal), faults_(faults) {}

  bool Claim(const std::wstring& launcherFolder) override;

  // The folders whose application runs.
  std::set<std::wstring> held;

 private:
  Journal& journal_;
  FaultPlan& faults_;
};

}  // namespace tq
