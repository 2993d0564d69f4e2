#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tq {

// Text is UTF-16 inside the launcher, on Windows where wchar_t holds 16 bits
// as in the tests on Linux where it holds 32: a character beyond the Basic
// Multilingual Plane is a pair of surrogates on both.

// A character's code unit as a number, whatever the sign of wchar_t.
inline std::uint32_t CodeUnit(wchar_t c) {
  return static_cast<std::uint32_t>(std::char_traits<wchar_t>::to_int_type(c));
}

// Whether a code (a code unit, a byte) lies in first..last, both included.
constexpr bool InRange(std::uint32_t code, std::uint32_t first, std::uint32_t last) {
  return code >= first && code <= last;
}

inline bool IsHighSurrogate(std::uint32_t unit) { return InRange(unit, 0xD800, 0xDBFF); }
inline bool IsLowSurrogate(std::uint32_t unit) { return InRange(unit, 0xDC00, 0xDFFF); }

// Well-formed UTF-8 (shortest forms of Unicode scalars only) as UTF-16;
// nothing, with the offset of the first malformed byte in badAt, otherwise.
std::optional<std::wstring> FromUtf8(std::string_view bytes, std::size_t& badAt);

// UTF-16 as UTF-8; a broken surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

}  // namespace tq
