#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/error.h"
#include "platform/memory/memory_registry.h"
#include "registry/m_registry.h"
#include "tests/launcher_expectations.h"

namespace tq {
namespace {

using namespace std::string_literals;

const std::wstring kKey = std::wstring(expected::kJavaRuntimeKey) + L"\\1.5";

ByteArray Bytes(std::size_t count, std::uint8_t first = 0) {
  ByteArray bytes(count);
  for (std::size_t index = 0; index < count; ++index) {
    bytes[index] = static_cast<std::uint8_t>(first + index * 7);
  }
  return bytes;
}

class RegistryGetValueTest : public ::testing::Test {
 protected:
  FaultPlan faults;
  MemoryRegistry registry{faults};

  void Set(std::uint32_t type, ByteArray data, const std::wstring& name = L"Value") {
    registry.SetValue(kHkeyLocalMachine, kKey, name, type, std::move(data));
  }

  RegVariant Get(const std::wstring& name = L"Value",
                 std::optional<RegVariant> defaultValue = std::nullopt) {
    return RegGetValue(registry, kHkeyLocalMachine, kKey, name, std::move(defaultValue));
  }

  std::vector<std::uint32_t> QueryBufferSizes() const {
    std::vector<std::uint32_t> sizes;
    for (const MemoryRegistry::Call& call : registry.calls()) {
      if (call.operation == MemoryRegistry::kQueryValue) {
        sizes.push_back(call.bufferSize);
      }
    }
    return sizes;
  }

  // The error the read raises, after checking that the key was closed before
  // the error reached the caller.
  Error RaisedError(const std::function<void()>& read) {
    const std::size_t openBefore = registry.OpenHandleCount();
    try {
      read();
    } catch (const Error& error) {
      EXPECT_EQ(registry.OpenHandleCount(), openBefore);
      EXPECT_EQ(registry.calls().back().operation, MemoryRegistry::kCloseKey);
      return error;
    }
    ADD_FAILURE() << "no error";
    return {0, L""};
  }

  void ExpectUnsupported(const std::function<void()>& read) {
    const Error error = RaisedError(read);
    EXPECT_EQ(error.number(), 1001);
    EXPECT_EQ(error.description(), L"Unsupported value type");
  }
};

TEST_F(RegistryGetValueTest, AStringDropsItsClosingNulAndTakesOneQuery) {
  registry.SetString(kHkeyLocalMachine, kKey, L"JavaHome", L"C:\\jre");

  EXPECT_EQ(Get(L"JavaHome"), RegVariant(L"C:\\jre"s));

  EXPECT_EQ(QueryBufferSizes(), std::vector<std::uint32_t>{1024});
  EXPECT_EQ(registry.calls()[1].name, "JavaHome");
  EXPECT_EQ(registry.OpenHandleCount(), 0U);
  EXPECT_EQ(registry.calls().back().operation, MemoryRegistry::kCloseKey);
  // Nothing beyond the least: one open, one query, one close.
  EXPECT_EQ(registry.calls().size(), 3U);
}

TEST_F(RegistryGetValueTest, UpTo1024BytesTakeOneQueryAndMoreExactlyTwo) {
  registry.SetString(kHkeyLocalMachine, kKey, L"Fits", std::wstring(1023, L'a'));
  registry.SetString(kHkeyLocalMachine, kKey, L"Larger", std::wstring(1024, L'b'));

  EXPECT_EQ(Get(L"Fits"), RegVariant(std::wstring(1023, L'a')));
  EXPECT_EQ(QueryBufferSizes(), std::vector<std::uint32_t>{1024});

  EXPECT_EQ(Get(L"Larger"), RegVariant(std::wstring(1024, L'b')));
  EXPECT_EQ(QueryBufferSizes(), (std::vector<std::uint32_t>{1024, 1024, 1025}));
  EXPECT_EQ(registry.OpenHandleCount(), 0U);
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kOpenKey), 2U);
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kCloseKey), 2U);
}

TEST_F(RegistryGetValueTest, StringKindsKeepReferencesAndInnerNuls) {
  registry.SetString(kHkeyLocalMachine, kKey, L"Expand", L"%ProgramFiles%\\Java", kRegExpandSz);
  registry.SetString(kHkeyLocalMachine, kKey, L"Inner", L"a\0b"s);
  Set(kRegMultiSz, {'a', 0, 'b', 0, 0}, L"Multi");
  registry.SetString(kHkeyLocalMachine, kKey, L"", L"unnamed");

  EXPECT_EQ(Get(L"Expand"), RegVariant(L"%ProgramFiles%\\Java"s));
  EXPECT_EQ(Get(L"Inner"), RegVariant(L"a\0b"s));
  const RegVariant multi = Get(L"Multi");
  EXPECT_EQ(multi, RegVariant(L"a\0b"s));
  EXPECT_EQ(std::get<std::wstring>(multi).size(), 3U);
  EXPECT_EQ(Get(L""), RegVariant(L"unnamed"s));
}

TEST_F(RegistryGetValueTest, ADwordIsTheFirstFourBytesLeastSignificantFirst) {
  Set(kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}, L"MinusOne");
  Set(kRegDword, {0x01, 0x00, 0x00, 0x00}, L"One");
  Set(kRegDword, {0x78, 0x56, 0x34, 0x12, 0x99, 0x99}, L"Long");
  Set(kRegDword, {0x01, 0x02}, L"Short");
  registry.SetDword(kHkeyLocalMachine, kKey, L"Built", 0x80000000U);

  EXPECT_EQ(Get(L"MinusOne"), RegVariant(std::int32_t{-1}));
  EXPECT_EQ(Get(L"One"), RegVariant(std::int32_t{1}));
  EXPECT_EQ(Get(L"Long"), RegVariant(std::int32_t{0x12345678}));
  // The buffer starts zero-filled: what a short value leaves unwritten reads 0.
  EXPECT_EQ(Get(L"Short"), RegVariant(std::int32_t{0x0201}));
  EXPECT_EQ(Get(L"Built"), RegVariant(std::int32_t{-2147483647 - 1}));
}

TEST_F(RegistryGetValueTest, BinaryValuesComeBackWithExactlyTheirSize) {
  for (const std::size_t size : {10U, 1024U, 3000U}) {
    Set(kRegBinary, Bytes(size, 3), L"Binary" + std::to_wstring(size));
  }

  EXPECT_EQ(Get(L"Binary10"), RegVariant(Bytes(10, 3)));
  EXPECT_EQ(Get(L"Binary1024"), RegVariant(Bytes(1024, 3)));
  EXPECT_EQ(Get(L"Binary3000"), RegVariant(Bytes(3000, 3)));
  EXPECT_EQ(QueryBufferSizes(), (std::vector<std::uint32_t>{1024, 1024, 1024, 3000}));
}

TEST_F(RegistryGetValueTest, UnsupportedTypesRaise1001AfterTheKeyIsClosedEvenWithADefault) {
  for (const std::uint32_t type :
       {kRegNone, kRegDwordBigEndian, kRegLink, 8U, 9U, 10U, kRegQword, 12U, 0xFFFFFFFFU}) {
    SCOPED_TRACE(type);
    Set(type, {1, 2, 3, 4, 5, 6, 7, 8});
    ExpectUnsupported([&] { Get(); });
    ExpectUnsupported([&] { Get(L"Value", RegVariant(L"fallback"s)); });
  }
}

TEST_F(RegistryGetValueTest, AMissingValueRaises1001EvenWithADefault) {
  registry.CreateKey(kHkeyLocalMachine, kKey);

  ExpectUnsupported([&] { Get(L"JavaHome"); });
  ExpectUnsupported([&] { Get(L"JavaHome", RegVariant(std::int32_t{5})); });
  EXPECT_EQ(QueryBufferSizes(), (std::vector<std::uint32_t>{1024, 1024}));

  // Any failure of the query other than "more data" leaves the type at 0.
  registry.SetString(kHkeyLocalMachine, kKey, L"JavaHome", L"C:\\jre");
  faults.FailCall(MemoryRegistry::kQueryValue, 3, kErrorAccessDenied);
  ExpectUnsupported([&] { Get(L"JavaHome"); });
}

TEST_F(RegistryGetValueTest, TheDefaultComesBackUnchangedOnlyWhenTheKeyCannotBeOpened) {
  registry.SetString(kHkeyLocalMachine, kKey, L"JavaHome", L"C:\\jre");
  registry.CreateKey(kHkeyLocalMachine, L"SOFTWARE\\Locked");
  registry.DenyRead(kHkeyLocalMachine, L"SOFTWARE\\Locked");
  const auto fromMissingKey = [&](std::optional<RegVariant> defaultValue) {
    return RegGetValue(registry, kHkeyLocalMachine, L"SOFTWARE\\Missing", L"JavaHome",
                       std::move(defaultValue));
  };

  EXPECT_EQ(fromMissingKey(std::nullopt), RegVariant(Empty{}));
  for (const RegVariant& defaultValue :
       {RegVariant(Empty{}), RegVariant(L"C:\\other"s), RegVariant(std::int32_t{-7}),
        RegVariant(ByteArray{1, 0, 2})}) {
    EXPECT_EQ(fromMissingKey(defaultValue), defaultValue);
  }
  EXPECT_EQ(RegGetValue(registry, kHkeyLocalMachine, L"SOFTWARE\\Locked", L"JavaHome",
                        RegVariant(L"kept"s)),
            RegVariant(L"kept"s));
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kQueryValue), 0U);

  EXPECT_EQ(Get(L"JavaHome", RegVariant(L"C:\\other"s)), RegVariant(L"C:\\jre"s));
  EXPECT_EQ(registry.OpenHandleCount(), 0U);
}

TEST_F(RegistryGetValueTest, DataTooShortForItsTypeGivesAnEmptyResult) {
  Set(kRegSz, {}, L"Sz");
  Set(kRegExpandSz, {}, L"Expand");
  Set(kRegBinary, {}, L"Binary");
  Set(kRegMultiSz, {0}, L"MultiOne");
  Set(kRegMultiSz, {}, L"MultiNone");
  Set(kRegMultiSz, {'x', 0}, L"MultiTwo");

  EXPECT_EQ(Get(L"Sz"), RegVariant(L""s));
  EXPECT_EQ(Get(L"Expand"), RegVariant(L""s));
  EXPECT_EQ(Get(L"Binary"), RegVariant(ByteArray{}));
  EXPECT_EQ(Get(L"MultiOne"), RegVariant(L""s));
  EXPECT_EQ(Get(L"MultiNone"), RegVariant(L""s));
  EXPECT_EQ(Get(L"MultiTwo"), RegVariant(L""s));
  EXPECT_EQ(registry.OpenHandleCount(), 0U);
}

TEST_F(RegistryGetValueTest, AValueThatChangesBetweenTheQueriesIsNeverReadBeyondTheBuffer) {
  Set(kRegBinary, Bytes(2000), L"Grows");
  registry.ChangeAfterQuery(1, [](MemoryRegistry& changed) {
    changed.SetValue(kHkeyLocalMachine, kKey, L"Grows", kRegBinary, Bytes(5000));
  });
  // The second query finds 5000 bytes and reports that size without writing
  // the 2000-byte buffer: the buffer is all there is.
  EXPECT_EQ(Get(L"Grows"), RegVariant(ByteArray(2000, 0)));
  EXPECT_EQ(QueryBufferSizes(), (std::vector<std::uint32_t>{1024, 2000}));

  registry.SetString(kHkeyLocalMachine, kKey, L"GrowsText", std::wstring(1500, L'g'));
  registry.ChangeAfterQuery(3, [](MemoryRegistry& changed) {
    changed.SetString(kHkeyLocalMachine, kKey, L"GrowsText", std::wstring(4000, L'G'));
  });
  EXPECT_EQ(Get(L"GrowsText"), RegVariant(std::wstring(1500, L'\0')));

  Set(kRegBinary, Bytes(2000), L"Shrinks");
  registry.ChangeAfterQuery(5, [](MemoryRegistry& changed) {
    changed.SetValue(kHkeyLocalMachine, kKey, L"Shrinks", kRegBinary, Bytes(10));
  });
  EXPECT_EQ(Get(L"Shrinks"), RegVariant(Bytes(10)));

  // Gone at the second query: type and size stay as the first query left them.
  Set(kRegBinary, Bytes(2000), L"Vanishes");
  registry.ChangeAfterQuery(7, [](MemoryRegistry& changed) {
    changed.RemoveValue(kHkeyLocalMachine, kKey, L"Vanishes");
  });
  EXPECT_EQ(Get(L"Vanishes"), RegVariant(ByteArray(2000, 0)));
  EXPECT_EQ(registry.OpenHandleCount(), 0U);
}

TEST_F(RegistryGetValueTest, AFailedCloseIsIgnored) {
  registry.SetString(kHkeyLocalMachine, kKey, L"JavaHome", L"C:\\jre");
  faults.FailCall(MemoryRegistry::kCloseKey, kEveryCall, kErrorInvalidHandle);
  EXPECT_EQ(Get(L"JavaHome"), RegVariant(L"C:\\jre"s));
}

TEST_F(RegistryGetValueTest, TheRootIsNeverClosed) {
  registry.SetString(kHkeyLocalMachine, kKey, L"JavaHome", L"C:\\jre");
  KeyHandle root = 0;
  // A root the caller holds, and the rest of the key's path below it.
  const std::string rootPath = "SOFTWARE";
  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, rootPath, 0, kKeyRead, &root), 0);

  EXPECT_EQ(RegGetValue(registry, root, kKey.substr(rootPath.size() + 1), L"JavaHome"),
            RegVariant(L"C:\\jre"s));
  ExpectUnsupported([&] { RegGetValue(registry, root, L"", L"Nothing"); });

  for (const MemoryRegistry::Call& call : registry.calls()) {
    EXPECT_FALSE(call.operation == MemoryRegistry::kCloseKey && call.key == root);
  }
  EXPECT_TRUE(registry.IsOpen(root));
}

TEST(RegistryCodePageTest, TextRoundTripsInTheSingleByteCodePage) {
  FaultPlan faults;
  MemoryRegistry registry(faults, CodePage::kWindows1252);
  const std::wstring path = L"SOFTWARE\\Caf\u00E9";
  const std::wstring text = L"C:\\Programme\\J\u00E4va \u20AC \u0153\u017E\u00FF";
  registry.SetString(kHkeyLocalMachine, path, L"Na\u00EFve", text);
  registry.SetString(kHkeyLocalMachine, path, L"Long", std::wstring(1024, L'\u00E9'));

  EXPECT_EQ(RegGetValue(registry, kHkeyLocalMachine, path, L"Na\u00EFve"), RegVariant(text));
  EXPECT_EQ(RegGetValue(registry, kHkeyLocalMachine, path, L"Long"),
            RegVariant(std::wstring(1024, L'\u00E9')));
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kQueryValue), 3U);
}

TEST(RegistryCodePageTest, TextRoundTripsInTheDoubleByteCodePage) {
  FaultPlan faults;
  MemoryRegistry registry(faults, CodePage::kShiftJisSubset);
  const std::wstring path = L"SOFTWARE\\\u65E5\u672C\u8A9E";
  const std::wstring text = L"C:\\\u30B8\u30E3\u30D0\\\u3042\uFF76 jre";
  // 名前 is not in the code page: the narrow interface cannot name it.
  registry.SetString(kHkeyLocalMachine, path, L"\u540D\u524D", L"unreachable");
  registry.SetString(kHkeyLocalMachine, path, L"\u3072", text);
  // 512 two-byte characters and the NUL: 1025 bytes.
  registry.SetString(kHkeyLocalMachine, path, L"Long", std::wstring(512, L'\u3042'));

  EXPECT_EQ(RegGetValue(registry, kHkeyLocalMachine, path, L"\u3072"), RegVariant(text));
  const std::size_t queries = registry.CallCount(MemoryRegistry::kQueryValue);
  EXPECT_EQ(RegGetValue(registry, kHkeyLocalMachine, path, L"Long"),
            RegVariant(std::wstring(512, L'\u3042')));
  EXPECT_EQ(registry.CallCount(MemoryRegistry::kQueryValue), queries + 2);
  EXPECT_EQ(registry.calls()[registry.calls().size() - 2].bufferSize, 1025U);
  EXPECT_THROW(RegGetValue(registry, kHkeyLocalMachine, path, L"\u540D\u524D"), Error);
  EXPECT_EQ(registry.calls().back().operation, MemoryRegistry::kCloseKey);
}

}  // namespace
}  // namespace tq
