// GetSystemTimePreciseAsFileTime is declared from Windows 8 on; the rest of
// the build targets Windows 7. The benchmark driver alone needs it.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0602

#include "bench/win32/precise_clock.h"

namespace tq::bench {

Instant PreciseNow() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  return InstantOf(now);
}

}  // namespace tq::bench
