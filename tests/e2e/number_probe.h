#pragma once

// What number_probe.exe and the tests that start it agree on. Kept free of
// Windows headers so both sides can include it.
//
//   number_probe.exe TEXT
//
// converts TEXT with the system's locale-aware conversion under the user's
// number format and ends with the number times kNumberProbeScale, rounded,
// as its exit code; with kNumberProbeNoNumber when TEXT is no number there.

namespace tq::e2e {

inline constexpr unsigned kNumberProbeScale = 1000;
inline constexpr unsigned long kNumberProbeNoNumber = 0xFFFFFFF0UL;

}  // namespace tq::e2e
