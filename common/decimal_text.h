#pragma once

#include <string>

namespace tq {

// The decimal digits of a number, with a leading '-' when it is negative:
// what std::to_wstring gives, without the C library's formatted output
// (which a static Windows build would carry for these two lines alone).
std::wstring DecimalText(long long value);

}  // namespace tq
