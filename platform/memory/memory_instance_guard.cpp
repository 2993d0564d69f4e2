#include "platform/memory/memory_instance_guard.h"

#include "common/instance_guard_name.h"

namespace tq {

bool MemoryInstanceGuard::Claim(const std::wstring& launcherFolder) {
  journal_.Add(Operation::kClaimGuard, launcherFolder);
  faults_.CountCallAndRaise(Operation::kClaimGuard);
  return held_.insert(InstanceGuardName(launcherFolder)).second;
}

void MemoryInstanceGuard::HoldFor(const std::wstring& launcherFolder) {
  held_.insert(InstanceGuardName(launcherFolder));
}

}  // namespace tq
