#pragma once

#include <cstdint>
#include <limits>

#include "common/error.h"

namespace tq {

// Sizes and indexes of the registry helpers are signed 32-bit numbers whose
// arithmetic raises Overflow (6) instead of wrapping.

inline std::int32_t CheckedAdd(std::int32_t left, std::int32_t right) {
  const std::int64_t sum = std::int64_t{left} + right;
  if (sum < std::numeric_limits<std::int32_t>::min() ||
      sum > std::numeric_limits<std::int32_t>::max()) {
    throw Overflow();
  }
  return static_cast<std::int32_t>(sum);
}

inline std::int32_t CheckedSubtract(std::int32_t left, std::int32_t right) {
  const std::int64_t difference = std::int64_t{left} - right;
  if (difference < std::numeric_limits<std::int32_t>::min() ||
      difference > std::numeric_limits<std::int32_t>::max()) {
    throw Overflow();
  }
  return static_cast<std::int32_t>(difference);
}

// The platform reports sizes as unsigned 32-bit numbers; read as the signed
// number the helpers work with, a size above 2^31 - 1 is negative.
inline std::int32_t AsSigned32(std::uint32_t value) { return static_cast<std::int32_t>(value); }

}  // namespace tq
