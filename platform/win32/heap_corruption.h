#pragma once

namespace tq {

// Ends the process the moment the heap manager finds a heap corrupted,
// rather than letting it run on with a heap an attacker may have shaped.
// Windows Vista and later, and Windows XP SP3; 64-bit processes have it
// always. Where the system does not know it the call changes nothing.
void EndProcessOnHeapCorruption() noexcept;

}  // namespace tq
