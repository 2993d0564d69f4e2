#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/error.h"
#include "platform/memory/memory_registry.h"
#include "registry/m_registry.h"
#include "registry/sub_key_collection.h"
#include "tests/host/one_key_registry.h"
#include "tests/launcher_expectations.h"

namespace tq {
namespace {

constexpr const wchar_t* kJre = expected::kJavaRuntimeKey;

std::vector<std::wstring> Names(const SubKeyCollection& collection) {
  return {collection.begin(), collection.end()};
}

int ErrorNumberOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.number();
  }
  return 0;
}

class RegistrySubKeysTest : public ::testing::Test {
 protected:
  FaultPlan faults;
  MemoryRegistry registry{faults};

  // A handle the caller holds open, as a helper's root.
  KeyHandle OpenedByCaller(const std::wstring& path) {
    KeyHandle handle = 0;
    EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, registry.ToAnsi(path), 0, kKeyRead, &handle),
              kErrorSuccess);
    return handle;
  }

  [[nodiscard]] bool Closed(KeyHandle key) const {
    for (const MemoryRegistry::Call& call : registry.calls()) {
      if (call.operation == MemoryRegistry::kCloseKey && call.key == key) {
        return true;
      }
    }
    return false;
  }
};

TEST_F(RegistrySubKeysTest, KeyExistsOpensForReadingAndClosesAgain) {
  registry.CreateKey(kHkeyLocalMachine, kJre);
  registry.CreateKey(kHkeyLocalMachine, L"SOFTWARE\\Locked");
  registry.DenyRead(kHkeyLocalMachine, L"SOFTWARE\\Locked");

  EXPECT_TRUE(RegKeyExists(registry, kHkeyLocalMachine, kJre));
  EXPECT_TRUE(RegKeyExists(registry, kHkeyLocalMachine, L"software\\javasoft"));
  EXPECT_FALSE(RegKeyExists(registry, kHkeyLocalMachine, L"SOFTWARE\\Missing"));
  EXPECT_FALSE(RegKeyExists(registry, kHkeyLocalMachine, L"SOFTWARE\\Locked"));

  EXPECT_EQ(registry.OpenHandleCount(), 0U);
  const MemoryRegistry::Call& open = registry.calls().front();
  const std::wstring_view key = kJre;  // ASCII: the same bytes in any code page
  EXPECT_EQ(open.name, std::string(key.begin(), key.end()));
  EXPECT_EQ(open.argument, kKeyRead);
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kOpenKey), 4U);
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kCloseKey), 2U);
  EXPECT_FALSE(Closed(kHkeyLocalMachine));
}

TEST_F(RegistrySubKeysTest, KeyExistsIsFalseWhateverTheOpenFailsWith) {
  registry.CreateKey(kHkeyLocalMachine, kJre);
  faults.FailCall(MemoryRegistry::kOpenKey, 1, 1010);
  EXPECT_FALSE(RegKeyExists(registry, kHkeyLocalMachine, kJre));
  EXPECT_TRUE(RegKeyExists(registry, kHkeyLocalMachine, kJre));
}

TEST_F(RegistrySubKeysTest, AnEmptyPathOpensTheRootAgainAndLeavesItOpen) {
  registry.CreateKey(kHkeyLocalMachine, kJre);
  const KeyHandle root = OpenedByCaller(kJre);

  EXPECT_TRUE(RegKeyExists(registry, root, L""));

  EXPECT_TRUE(registry.IsOpen(root));
  EXPECT_FALSE(Closed(root));
  EXPECT_EQ(registry.OpenHandleCount(), 1U);
}

TEST_F(RegistrySubKeysTest, VersionsComeInEnumerationOrderAndTheKeyIsClosed) {
  for (const wchar_t* version : {L"1.4", L"1.5", L"1.5.0_06"}) {
    registry.CreateKey(kHkeyLocalMachine, std::wstring(kJre) + L"\\" + version);
  }

  const SubKeyCollection versions = RegEnumSubKeys(registry, kHkeyLocalMachine, kJre);

  EXPECT_EQ(Names(versions), (std::vector<std::wstring>{L"1.4", L"1.5", L"1.5.0_06"}));
  EXPECT_EQ(registry.OpenHandleCount(), 0U);
  // One call per subkey and one that ends the list, each with its own
  // 260-byte buffer, at the indexes 0, 1, 2, 3.
  std::vector<std::uint32_t> indexes;
  for (const MemoryRegistry::Call& call : registry.calls()) {
    if (call.operation == MemoryRegistry::kEnumKey) {
      EXPECT_EQ(call.bufferSize, 260U);
      indexes.push_back(call.argument);
    }
  }
  EXPECT_EQ(indexes, (std::vector<std::uint32_t>{0, 1, 2, 3}));
  EXPECT_EQ(registry.calls().back().operation, MemoryRegistry::kCloseKey);
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kOpenKey), 1U);
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kCloseKey), 1U);
}

TEST_F(RegistrySubKeysTest, AnEmptyPathEnumeratesTheRootWithoutOpeningOrClosingIt) {
  registry.CreateKey(kHkeyLocalMachine, std::wstring(kJre) + L"\\1.6");
  registry.CreateKey(kHkeyLocalMachine, L"SYSTEM");
  const KeyHandle root = OpenedByCaller(kJre);

  EXPECT_EQ(Names(RegEnumSubKeys(registry, root, L"")), std::vector<std::wstring>{L"1.6"});
  EXPECT_EQ(Names(RegEnumSubKeys(registry, kHkeyLocalMachine, L"")),
            (std::vector<std::wstring>{L"SOFTWARE", L"SYSTEM"}));

  EXPECT_EQ(registry.CallCount(MemoryRegistry::kOpenKey), 1U);  // the caller's own
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kCloseKey), 0U);
  EXPECT_TRUE(registry.IsOpen(root));
}

TEST_F(RegistrySubKeysTest, AMissingOrEmptyKeyGivesAnEmptyCollection) {
  registry.CreateKey(kHkeyLocalMachine, kJre);

  EXPECT_TRUE(RegEnumSubKeys(registry, kHkeyLocalMachine, L"SOFTWARE\\Missing").empty());
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kEnumKey), 0U);

  EXPECT_TRUE(RegEnumSubKeys(registry, kHkeyLocalMachine, kJre).empty());
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kEnumKey), 1U);
  EXPECT_EQ(registry.OpenHandleCount(), 0U);
}

TEST_F(RegistrySubKeysTest, TheFirstFailureEndsTheListWhateverItsCode) {
  const std::wstring tooLong(300, L'x');
  for (const std::wstring& name : {std::wstring(L"1.4"), tooLong, std::wstring(L"1.6")}) {
    registry.CreateKey(kHkeyLocalMachine, std::wstring(kJre) + L"\\" + name);
  }
  // 259 characters and the NUL fill the buffer exactly.
  registry.CreateKey(kHkeyLocalMachine, L"Long\\" + std::wstring(259, L'y'));
  registry.CreateKey(kHkeyLocalMachine, L"Long\\z");

  EXPECT_EQ(Names(RegEnumSubKeys(registry, kHkeyLocalMachine, kJre)),
            std::vector<std::wstring>{L"1.4"});
  EXPECT_EQ(Names(RegEnumSubKeys(registry, kHkeyLocalMachine, L"Long")),
            (std::vector<std::wstring>{std::wstring(259, L'y'), L"z"}));

  faults.FailCall(MemoryRegistry::kEnumKey, kEveryCall, kErrorAccessDenied);
  EXPECT_TRUE(RegEnumSubKeys(registry, kHkeyLocalMachine, L"Long").empty());
  EXPECT_EQ(registry.OpenHandleCount(), 0U);
}

TEST_F(RegistrySubKeysTest, NamesTravelInTheCodePage) {
  FaultPlan japaneseFaults;
  MemoryRegistry japanese(japaneseFaults, CodePage::kShiftJisSubset);
  const std::wstring path = L"SOFTWARE\\\u65E5\u672C";
  japanese.CreateKey(kHkeyLocalMachine, path + L"\\\u30B8\u30E3\u30D0");
  japanese.CreateKey(kHkeyLocalMachine, path + L"\\1.5");

  EXPECT_TRUE(RegKeyExists(japanese, kHkeyLocalMachine, path));
  EXPECT_EQ(japanese.calls().front().name, "SOFTWARE\\\x93\xFA\x96\x7B");
  EXPECT_EQ(Names(RegEnumSubKeys(japanese, kHkeyLocalMachine, path)),
            (std::vector<std::wstring>{L"\u30B8\u30E3\u30D0", L"1.5"}));
}

// Enumerates whatever names it is given; a real registry never holds two
// subkeys whose names differ only in case.
class ListedSubKeys final : public OneKeyRegistry {
 public:
  explicit ListedSubKeys(std::vector<std::string> names)
      : OneKeyRegistry(7), names_(std::move(names)) {}

  std::int32_t EnumKey(KeyHandle, std::uint32_t index, char* name, std::uint32_t) override {
    if (index >= names_.size()) {
      return kErrorNoMoreItems;
    }
    names_[index].copy(name, names_[index].size());
    return kErrorSuccess;
  }

 private:
  std::vector<std::string> names_;
};

TEST(RegistrySubKeyNamesTest, NamesDifferingOnlyInCaseRaiseDuplicateKeyAndCloseTheKey) {
  ListedSubKeys registry({"1.5", "Java", "\xC4rger", "JAVA"});
  EXPECT_EQ(ErrorNumberOf([&] { RegEnumSubKeys(registry, kHkeyLocalMachine, L"Any"); }),
            kDuplicateKey);
  EXPECT_EQ(registry.openHandles, 0);

  ListedSubKeys accents({"\xC4rger", "\xE4RGER"});  // Ärger, äRGER
  EXPECT_EQ(ErrorNumberOf([&] { RegEnumSubKeys(accents, kHkeyLocalMachine, L"Any"); }),
            kDuplicateKey);
  EXPECT_EQ(accents.openHandles, 0);
}

TEST(SubKeyCollectionTest, KeepsTheOrderAndRefusesACaseInsensitiveDuplicate) {
  SubKeyCollection names;
  for (const wchar_t* name : {L"1.5", L"\u00C4rger", L"\u0416\u0443\u043A", L"\u0391\u03B8",
                              L"\u0160ifra", L"\u0141\u00F3d\u017A"}) {
    names.Add(name);
  }

  // ä, жук, αΘ, šIFRA, łÓDŹ: each its name's other case.
  for (const wchar_t* name : {L"\u00E4RGER", L"\u0436\u0443\u043A", L"\u03B1\u0398", L"\u0161IFRA",
                              L"\u0142\u00D3D\u0179"}) {
    EXPECT_TRUE(names.Contains(name));
    EXPECT_EQ(ErrorNumberOf([&] { names.Add(name); }), kDuplicateKey);
  }
  EXPECT_FALSE(names.Contains(L"Arger"));
  names.Add(L"Arger");

  ASSERT_EQ(names.size(), 7U);
  EXPECT_EQ(names[0], L"1.5");
  EXPECT_EQ(names[1], L"\u00C4rger");
  EXPECT_EQ(names[6], L"Arger");
}

}  // namespace
}  // namespace tq
