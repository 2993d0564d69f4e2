#include "bench/win32/handle_count.h"

// Needs the Windows types first.
#include <winternl.h>

#include <algorithm>

namespace tq::bench {
namespace {

constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

}  // namespace

unsigned long HandleCounter::Count(HANDLE process, DWORD pid) {
  DWORD count = 0;
  if (GetProcessHandleCount(process, &count) && count != 0) {
    return count;
  }
  return CountInSystemList(pid);
}

unsigned long HandleCounter::CountInSystemList(DWORD pid) {
  if (buffer_.empty()) {
    buffer_.resize(1 << 16);
  }
  for (;;) {
    ULONG needed = 0;
    const NTSTATUS status = NtQuerySystemInformation(SystemHandleInformation, buffer_.data(),
                                                     static_cast<ULONG>(buffer_.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer_.resize(std::max<std::size_t>(buffer_.size() * 2, needed));
      continue;
    }
    if (status < 0) {
      return 0;
    }
    const auto* list = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer_.data());
    unsigned long count = 0;
    for (ULONG index = 0; index < list->Count; ++index) {
      if (list->Handle[index].OwnerPid == pid) {
        ++count;
      }
    }
    return count;
  }
}

}  // namespace tq::bench
