#include "platform/memory/memory_instance_guard.h"

#include "common/letter_case.h"

namespace tq {

bool MemoryInstanceGuard::Claim(const std::wstring& launcherFolder) {
  recorder_.Enter(Operation::kClaimGuard, launcherFolder);
  return held_.insert(InstanceGuardName(launcherFolder)).second;
}

void MemoryInstanceGuard::HoldFor(const std::wstring& launcherFolder) {
  held_.insert(InstanceGuardName(launcherFolder));
}

}  // namespace tq
