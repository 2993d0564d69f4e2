#include "common/letter_case.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "common/decimal_text.h"
#include "common/unicode_text.h"

namespace tq {
namespace {

// Small letters beyond ASCII that become their capitals by one shift, a run each: the
// capital of `first` is first + shift, and so on up to `last`.
struct CaseRun {
  std::uint32_t first;
  std::uint32_t last;
  std::int32_t shift;
};
constexpr CaseRun kCaseRuns[] = {
    // Latin-1: not the division sign; y with diaeresis is capital in Latin Extended-A.
    {0xE0, 0xF6, -0x20},
    {0xF8, 0xFE, -0x20},
    {0xFF, 0xFF, 0x79},
    {0x192, 0x192, -1},  // f with hook
    // Greek: the letters with tonos, final sigma, the rest of the alphabet.
    {0x3AC, 0x3AC, -0x26},
    {0x3AD, 0x3AF, -0x25},
    {0x3B1, 0x3C1, -0x20},
    {0x3C2, 0x3C2, -0x1F},
    {0x3C3, 0x3CB, -0x20},
    {0x3CC, 0x3CC, -0x40},
    {0x3CD, 0x3CE, -0x3F},
    // Cyrillic: the basic alphabet, the letters of its other languages, ghe with upturn.
    {0x430, 0x44F, -0x20},
    {0x450, 0x45F, -0x50},
    {0x491, 0x491, -1},
    {0xFF41, 0xFF5A, -0x20},  // full-width Latin
};

// Latin Extended-A pairs its letters as capital then small, starting on an
// even code in some runs and on an odd one in others.
std::uint32_t UpperCaseLatinExtendedA(std::uint32_t code) {
  if (InRange(code, 0x100, 0x12F) || InRange(code, 0x132, 0x137) || InRange(code, 0x14A, 0x177)) {
    return code & ~1U;
  }
  if (InRange(code, 0x139, 0x148) || InRange(code, 0x179, 0x17E)) {
    return code % 2 == 0 ? code - 1 : code;
  }
  // The dotted and dotless i of Turkish have no case pair of their own here.
  return code;
}

std::uint32_t UpperCaseCode(std::uint32_t code) {
  if (code < 0x80) {
    return InRange(code, 'a', 'z') ? code - 0x20 : code;
  }
  if (InRange(code, 0x100, 0x17F)) {
    return UpperCaseLatinExtendedA(code);
  }
  for (const CaseRun& run : kCaseRuns) {
    if (InRange(code, run.first, run.last)) {
      return static_cast<std::uint32_t>(static_cast<std::int32_t>(code) + run.shift);
    }
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
