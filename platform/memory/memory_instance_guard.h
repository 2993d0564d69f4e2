#pragma once

#include <set>
#include <string>

#include "interfaces/instance_guard.h"
#include "platform/memory/fault_plan.h"
#include "platform/memory/journal.h"

namespace tq {

// Guards held on the machine, by the names the Win32 guard gives them, so
// that folders are one guard exactly when they are one for Windows.
class MemoryInstanceGuard final : public InstanceGuard {
 public:
  MemoryInstanceGuard(Journal& journal, FaultPlan& faults) : recorder_{journal, faults} {}

  bool Claim(const std::wstring& launcherFolder) override;

  // An application started from the folder runs already.
  void HoldFor(const std::wstring& launcherFolder);

 private:
  CallRecorder recorder_;
  std::set<std::wstring> held_;
};

}  // namespace tq
