#pragma once

// One clock for everything the start-up benchmark compares: the system time
// in 100-nanosecond units, the base of the creation and exit times the
// system keeps for each process. The driver's own observations are read
// from the precise variant of the same clock.

#include <cstdint>

#include "platform/win32/windows_api.h"

namespace tq::bench {

using Instant = std::int64_t;  // 100-ns units of the system time
inline constexpr Instant kPerMillisecond = 10'000;

inline Instant InstantOf(const FILETIME& time) {
  return static_cast<Instant>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                              time.dwLowDateTime);
}

Instant PreciseNow();

inline double Milliseconds(Instant from, Instant to) {
  return static_cast<double>(to - from) / kPerMillisecond;
}

}  // namespace tq::bench
