#include "common/letter_case.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "common/decimal_text.h"
#include "common/unicode_text.h"

namespace tq {
namespace {

constexpr bool Within(std::uint32_t code, std::uint32_t first, std::uint32_t last) {
  return code >= first && code <= last;
}

// Latin Extended-A pairs its letters as capital then small, starting on an
// even code in some runs and on an odd one in others.
std::uint32_t UpperCaseLatinExtendedA(std::uint32_t code) {
  if (Within(code, 0x100, 0x12F) || Within(code, 0x132, 0x137) || Within(code, 0x14A, 0x177)) {
    return code & ~1U;
  }
  if (Within(code, 0x139, 0x148) || Within(code, 0x179, 0x17E)) {
    return code % 2 == 0 ? code - 1 : code;
  }
  // The dotted and dotless i of Turkish have no case pair of their own here.
  return code;
}

std::uint32_t UpperCaseGreek(std::uint32_t code) {
  if (code == 0x3C2) {  // final sigma
    return 0x3A3;
  }
  if (Within(code, 0x3B1, 0x3CB)) {
    return code - 0x20;
  }
  switch (code) {
    case 0x3AC:
      return 0x386;
    case 0x3AD:
    case 0x3AE:
    case 0x3AF:
      return code - 0x25;
    case 0x3CC:
      return 0x38C;
    case 0x3CD:
    case 0x3CE:
      return code - 0x3F;
    default:
      return code;
  }
}

std::uint32_t UpperCaseCyrillic(std::uint32_t code) {
  if (Within(code, 0x430, 0x44F)) {
    return code - 0x20;
  }
  if (Within(code, 0x450, 0x45F)) {
    return code - 0x50;
  }
  if (code == 0x491) {
    return 0x490;
  }
  return code;
}

std::uint32_t UpperCaseCode(std::uint32_t code) {
  if (Within(code, 'a', 'z')) {
    return code - 0x20;
  }
  if (code < 0x80) {
    return code;
  }
  if (Within(code, 0xE0, 0xFE) && code != 0xF7) {
    return code - 0x20;
  }
  if (code == 0xFF) {
    return 0x178;
  }
  if (Within(code, 0x100, 0x17F)) {
    return UpperCaseLatinExtendedA(code);
  }
  if (code == 0x192) {
    return 0x191;
  }
  if (Within(code, 0x3AC, 0x3CE)) {
    return UpperCaseGreek(code);
  }
  if (Within(code, 0x430, 0x491)) {
    return UpperCaseCyrillic(code);
  }
  if (Within(code, 0xFF41, 0xFF5A)) {
    return code - 0x20;
  }
  return code;
}

wchar_t UpperCaseLetter(wchar_t letter) {
  // wchar_t is signed on Linux and unsigned on Windows; through its own
  // unsigned type and back, a letter that has no upper case stays itself.
  return static_cast<wchar_t>(UpperCaseCode(static_cast<std::make_unsigned_t<wchar_t>>(letter)));
}

}  // namespace

std::wstring FoldedName(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& letter : folded) {
    letter = UpperCaseLetter(letter);
  }
  return folded;
}

void SortByFoldedName(std::vector<std::wstring>& names) {
  // An insertion sort: a folder holds a few runtimes, and std::sort's
  // instantiation would cost the program more than the names ever take.
  std::vector<std::wstring> folded;
  folded.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    folded.push_back(FoldedName(names[i]));
    for (std::size_t j = i; j > 0 && folded[j] < folded[j - 1]; --j) {
      std::swap(folded[j], folded[j - 1]);
      std::swap(names[j], names[j - 1]);
    }
  }
}

std::wstring InstanceGuardName(const std::wstring& launcherFolder) {
  std::uint64_t hash = 0xCBF29CE484222325ULL;
  for (const wchar_t c : FoldedName(launcherFolder)) {
    const std::uint32_t unit = CodeUnit(c);
    for (const std::uint32_t byte : {unit & 0xFFU, (unit >> 8) & 0xFFU}) {
      hash = (hash ^ byte) * 0x100000001B3ULL;
    }
  }
  return L"Global\\TovaneQuillon.SingleInstance." + HexText(hash, 16);
}

}  // namespace tq
