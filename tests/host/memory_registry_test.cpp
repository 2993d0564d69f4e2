#include "platform/memory/memory_registry.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace tq {
namespace {

using namespace std::string_literals;

class MemoryRegistryTest : public ::testing::Test {
 protected:
  FaultPlan faults;
  MemoryRegistry registry{faults};

  KeyHandle Open(const std::string& path, KeyHandle parent = kHkeyLocalMachine,
                 std::uint32_t access = kKeyRead) {
    KeyHandle handle = 0;
    EXPECT_EQ(registry.OpenKey(parent, path, 0, access, &handle), kErrorSuccess) << path;
    return handle;
  }
};

TEST_F(MemoryRegistryTest, HandlesAreCountedAndAClosedOneIsRefused) {
  registry.CreateKey(kHkeyLocalMachine, L"SOFTWARE\\JavaSoft");
  const KeyHandle key = Open("software\\JAVASOFT");
  const KeyHandle again = Open("", key);
  EXPECT_NE(key, again);
  EXPECT_EQ(registry.OpenHandleCount(), 2U);

  EXPECT_EQ(registry.CloseKey(key), kErrorSuccess);
  EXPECT_EQ(registry.CloseKey(key), kErrorInvalidHandle);
  EXPECT_EQ(registry.CloseKey(0x1234), kErrorInvalidHandle);
  std::array<char, 260> name{};
  EXPECT_EQ(registry.EnumKey(key, 0, name.data(), 260), kErrorInvalidHandle);
  KeyHandle unused = 0;
  EXPECT_EQ(registry.OpenKey(key, "", 0, kKeyRead, &unused), kErrorInvalidHandle);
  EXPECT_EQ(registry.OpenHandleCount(), 1U);

  // The predefined roots are always valid and never counted.
  EXPECT_EQ(registry.CloseKey(kHkeyCurrentUser), kErrorSuccess);
  EXPECT_EQ(registry.OpenHandleCount(), 1U);
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, "SOFTWARE\\Missing", 0, kKeyRead, &unused),
            kErrorFileNotFound);
}

TEST_F(MemoryRegistryTest, EnumeratesInCreationOrderWithTheNameSizeRules) {
  registry.CreateKey(kHkeyLocalMachine, L"Keys\\zeta");
  registry.CreateKey(kHkeyLocalMachine, L"Keys\\Alpha");
  registry.CreateKey(kHkeyLocalMachine, L"KEYS\\ZETA\\below");
  const KeyHandle keys = Open("Keys");

  std::array<char, 8> name{};
  EXPECT_EQ(registry.EnumKey(keys, 0, name.data(), 8), kErrorSuccess);
  EXPECT_EQ(std::string(name.data()), "zeta");
  EXPECT_EQ(registry.EnumKey(keys, 1, name.data(), 6), kErrorSuccess);
  EXPECT_EQ(std::string(name.data()), "Alpha");
  EXPECT_EQ(registry.EnumKey(keys, 1, name.data(), 5), kErrorMoreData);
  EXPECT_EQ(registry.EnumKey(keys, 2, name.data(), 8), kErrorNoMoreItems);
}

TEST_F(MemoryRegistryTest, QueriesAnswerLikeRegQueryValueExA) {
  registry.SetValue(kHkeyLocalMachine, L"Values", L"Data", kRegBinary, {1, 2, 3, 4, 5});
  const KeyHandle values = Open("Values");
  std::array<std::uint8_t, 8> data{};

  std::uint32_t type = 99;
  std::uint32_t size = 4;
  EXPECT_EQ(registry.QueryValue(values, "DATA", nullptr, &type, data.data(), &size),
            kErrorMoreData);
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(size, 5U);
  EXPECT_EQ(data[0], 0) << "nothing is written when the data do not fit";

  size = 8;
  EXPECT_EQ(registry.QueryValue(values, "Data", nullptr, &type, data.data(), &size), kErrorSuccess);
  EXPECT_EQ(size, 5U);
  EXPECT_EQ(data[4], 5);

  type = 99;
  size = 8;
  EXPECT_EQ(registry.QueryValue(values, "Other", nullptr, &type, data.data(), &size),
            kErrorFileNotFound);
  EXPECT_EQ(type, 99U);
  EXPECT_EQ(size, 8U);
}

TEST_F(MemoryRegistryTest, HooksFailAChosenCallAndChangeValuesBetweenQueries) {
  registry.SetDword(kHkeyLocalMachine, L"Values", L"Number", 1);
  faults.FailCall(MemoryRegistry::kOpenKey, 2, kErrorAccessDenied);
  registry.ChangeAfterQuery(1, [](MemoryRegistry& changed) {
    changed.SetDword(kHkeyLocalMachine, L"Values", L"Number", 2);
  });

  const KeyHandle values = Open("Values");
  KeyHandle refused = 0;
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, "Values", 0, kKeyRead, &refused),
            kErrorAccessDenied);
  Open("Values");

  std::array<std::uint8_t, 4> data{};
  for (const std::uint8_t expected : {1, 2}) {
    std::uint32_t size = 4;
    EXPECT_EQ(registry.QueryValue(values, "Number", nullptr, nullptr, data.data(), &size), 0);
    EXPECT_EQ(data[0], expected);
  }
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kOpenKey), 3U);
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kQueryValue), 2U);
  EXPECT_EQ(registry.calls()[1].result, kErrorAccessDenied);
}

TEST_F(MemoryRegistryTest, HklmHasA64BitViewThatOnlyItsFlagOpensAndHkcuHasOne) {
  registry.CreateKey(kHkeyLocalMachine64BitView, L"SOFTWARE\\JRE\\17");
  registry.CreateKey(kHkeyLocalMachine, L"SOFTWARE\\Java Runtime Environment");
  registry.CreateKey(kHkeyCurrentUser, L"Software\\JDK");
  const KeyHandle view64 = Open("SOFTWARE", kHkeyLocalMachine, kKeyRead | kKeyWow64_64Key);
  const struct {
    KeyHandle parent;
    std::string path;
    std::uint32_t access;
    std::int32_t result;
  } cases[] = {
      {kHkeyLocalMachine, "SOFTWARE\\JRE\\17", kKeyRead | kKeyWow64_64Key, kErrorSuccess},
      {kHkeyLocalMachine, "SOFTWARE\\JRE", kKeyRead, kErrorFileNotFound},
      {kHkeyLocalMachine, "SOFTWARE\\JRE", kKeyRead | kKeyWow64_32Key, kErrorFileNotFound},
      {kHkeyLocalMachine, "SOFTWARE\\Java Runtime Environment", kKeyRead, kErrorSuccess},
      {kHkeyLocalMachine, "SOFTWARE\\Java Runtime Environment", kKeyWow64_64Key,
       kErrorFileNotFound},
      // Below a key of the 64-bit view, whatever the flags.
      {view64, "JRE\\17", kKeyRead | kKeyWow64_32Key, kErrorSuccess},
      {kHkeyCurrentUser, "Software\\JDK", kKeyRead, kErrorSuccess},
      {kHkeyCurrentUser, "Software\\JDK", kKeyRead | kKeyWow64_64Key, kErrorSuccess},
  };
  for (const auto& c : cases) {
    KeyHandle key = 0;
    EXPECT_EQ(registry.OpenKey(c.parent, c.path, 0, c.access, &key), c.result) << c.path;
  }
}

TEST(CodePagesTest, Windows1252MapsEveryByteBothWays) {
  std::string all(256, '\0');
  for (int byte = 0; byte < 256; ++byte) {
    all[static_cast<std::size_t>(byte)] = static_cast<char>(byte);
  }
  const std::wstring text = FromWindows1252(all);
  EXPECT_EQ(text[0x80], L'\u20AC');
  EXPECT_EQ(text[0x9F], L'\u0178');
  EXPECT_EQ(text[0xE9], L'\u00E9');
  EXPECT_EQ(ToWindows1252(text), all);
  EXPECT_EQ(ToWindows1252(L"\u65E5a\0b"s), "?a\0b"s);
}

TEST(CodePagesTest, TheShiftJisSubsetTakesTwoBytesForWideCharacters) {
  const std::wstring text = L"\u65E5\u672C\u8A9E \u3042\u30F6\u3000\uFF76x\0y"s;
  const std::string bytes = "\x93\xFA\x96\x7B\x8C\xEA \x82\xA0\x83\x96\x81\x40\xB6x\0y"s;
  EXPECT_EQ(ToShiftJisSubset(text), bytes);
  EXPECT_EQ(FromShiftJisSubset(bytes), text);
  EXPECT_EQ(ToShiftJisSubset(L"\u00E9"), "?");

  // A lead byte without a trail byte stands alone; the byte after it keeps
  // its own meaning.
  EXPECT_EQ(FromShiftJisSubset("\x82"s), L"\u30FB");
  EXPECT_EQ(FromShiftJisSubset("\x82\0a"s), L"\u30FB\0a"s);
  EXPECT_EQ(FromShiftJisSubset("\x88\x9F"s), L"\u30FB");  // a pair outside the subset
}

}  // namespace
}  // namespace tq
