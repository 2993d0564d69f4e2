#include "platform/memory/memory_instance_guard.h"

namespace tq {

bool MemoryInstanceGuard::Claim(const std::wstring& launcherFolder) {
  journal_.Add(Operation::kClaimGuard, launcherFolder);
  faults_.CountCallAndRaise(Operation::kClaimGuard);
  std::wstring folded = launcherFolder;
  for (wchar_t& c : folded) {
    c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
  }
  return held.insert(folded).second;
}

}  // namespace tq
