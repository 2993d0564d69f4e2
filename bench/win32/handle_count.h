#pragma once

// How many handles another process holds.

#include <cstdint>
#include <vector>

#include "platform/win32/windows_api.h"

namespace tq::bench {

class HandleCounter {
 public:
  // GetProcessHandleCount on `process`; where the system answers that with
  // nothing (Wine 8 leaves it a stub that says 0), the process's entries in
  // the system's handle list.
  unsigned long Count(HANDLE process, DWORD pid);

 private:
  unsigned long CountInSystemList(DWORD pid);

  std::vector<std::uint8_t> buffer_;
};

}  // namespace tq::bench
