#pragma once

#include <cstdint>
#include <string>

namespace tq {

// The decimal digits of a number, with a leading '-' when it is negative:
// what std::to_wstring gives, without the C library's formatted output
// (which a static Windows build would carry for these two lines alone).
std::wstring DecimalText(long long value);

// The hexadecimal digits of a number, in lower case, at least `digits` of
// them (zeros in front).
std::wstring HexText(std::uint64_t value, std::size_t digits);

// A number as a person writes it, with up to six decimals and no trailing
// zeros ("1.5", "14", "-0.25"), for the decision log; beyond a million
// millions only which side it lies on.
std::wstring NumberText(double value);

}  // namespace tq
