#include "platform/win32/heap_corruption.h"

#include "platform/win32/windows_api.h"

namespace tq {

// HeapSetInformation itself is in every kernel32 since Windows XP; an XP
// before SP3 accepts the class and ignores it.
void EndProcessOnHeapCorruption() noexcept {
  HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
}

}  // namespace tq
