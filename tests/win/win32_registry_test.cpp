#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/error.h"
#include "platform/win32/unique_any.h"
#include "platform/win32/win32_system_information.h"
#include "platform/win32/windows_api.h"
#include "registry/forwarding_registry.h"
#include "registry/m_registry.h"

namespace tq {
namespace {

using namespace std::string_literals;

// Counts the provider's calls while passing them on, so the tests see the
// queries and the handles of the helpers against the real registry.
class CountingRegistry final : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;

  int openHandles = 0;
  std::vector<std::uint32_t> queryBufferSizes;
  std::vector<KeyHandle> closed;

  std::int32_t OpenKey(KeyHandle parent, const std::string& path, std::uint32_t options,
                       std::uint32_t access, KeyHandle* result) override {
    const std::int32_t status = ForwardingRegistry::OpenKey(parent, path, options, access, result);
    openHandles += status == kErrorSuccess ? 1 : 0;
    return status;
  }
  std::int32_t QueryValue(KeyHandle key, const std::string& valueName, std::uint32_t* reserved,
                          std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override {
    queryBufferSizes.push_back(*size);
    return ForwardingRegistry::QueryValue(key, valueName, reserved, type, data, size);
  }
  std::int32_t CloseKey(KeyHandle key) override {
    --openHandles;
    closed.push_back(key);
    return ForwardingRegistry::CloseKey(key);
  }
};

ByteArray Bytes(std::size_t count) {
  ByteArray bytes(count);
  for (std::size_t index = 0; index < count; ++index) {
    bytes[index] = static_cast<std::uint8_t>(index * 13 + 1);
  }
  return bytes;
}

// A key under HKEY_CURRENT_USER made for one test and removed after it; the
// helpers get a handle to it that the test holds open, as their root.
class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = L"Software\\TovaneQuillonTests\\Registry" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, writable_.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, rootKey_.put()),
              ERROR_SUCCESS);
    root = static_cast<KeyHandle>(reinterpret_cast<std::uintptr_t>(rootKey_.get()));
  }

  void TearDown() override {
    rootKey_.reset();
    writable_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TovaneQuillonTests");
    EXPECT_EQ(registry.openHandles, 0);
  }

  void SetA(const std::string& name, DWORD type, const std::string& data,
            const char* subKey = "Values") {
    UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExA(writable_.get(), subKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(
        RegSetValueExA(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size())),
        ERROR_SUCCESS);
  }

  void SetW(const std::wstring& name, DWORD type, const std::wstring& text) {
    UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExW(writable_.get(), L"Values", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key.get(), name.c_str(), 0, type,
                             reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }

  void CreateSubKey(const std::wstring& subKey) {
    UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExW(writable_.get(), subKey.c_str(), 0, nullptr, 0, KEY_READ, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
  }

  RegVariant Get(const std::wstring& name, std::optional<RegVariant> defaultValue = std::nullopt) {
    return RegGetValue(registry, root, L"Values", name, std::move(defaultValue));
  }

  int ErrorNumberOf(const std::wstring& name) {
    try {
      Get(name, RegVariant(L"default"s));
    } catch (const Error& error) {
      EXPECT_EQ(registry.openHandles, 0);
      return error.number();
    }
    return 0;
  }

  [[nodiscard]] bool RootStillUsable() const {
    DWORD subKeys = 0;
    return RegQueryInfoKeyW(rootKey_.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  }

  Win32Registry system;
  CountingRegistry registry{system};
  KeyHandle root = 0;

 private:
  std::wstring path_;
  UniqueHkey writable_;
  UniqueHkey rootKey_;
};

TEST_F(Win32RegistryTest, ReadsEverySupportedTypeAsWrittenThroughTheAnsiCalls) {
  SetA("JavaHome", REG_SZ, "C:\\jre\0"s);
  SetA("Expand", REG_EXPAND_SZ, "%ProgramFiles%\\Java\0"s);
  SetA("Multi", REG_MULTI_SZ, "a\0b\0\0"s);
  SetA("MinusOne", REG_DWORD, "\xFF\xFF\xFF\xFF"s);
  SetA("One", REG_DWORD, "\x01\x00\x00\x00"s);
  for (const std::size_t size : {10U, 1024U, 3000U}) {
    const ByteArray bytes = Bytes(size);
    SetA("Binary" + std::to_string(size), REG_BINARY, std::string(bytes.begin(), bytes.end()));
  }

  EXPECT_EQ(Get(L"JavaHome"), RegVariant(L"C:\\jre"s));
  EXPECT_EQ(Get(L"Expand"), RegVariant(L"%ProgramFiles%\\Java"s));
  EXPECT_EQ(Get(L"Multi"), RegVariant(L"a\0b"s));
  EXPECT_EQ(Get(L"MinusOne"), RegVariant(std::int32_t{-1}));
  EXPECT_EQ(Get(L"One"), RegVariant(std::int32_t{1}));
  EXPECT_EQ(registry.queryBufferSizes.size(), 5U);

  EXPECT_EQ(Get(L"Binary10"), RegVariant(Bytes(10)));
  EXPECT_EQ(Get(L"Binary1024"), RegVariant(Bytes(1024)));
  EXPECT_EQ(registry.queryBufferSizes.size(), 7U);
  EXPECT_EQ(Get(L"Binary3000"), RegVariant(Bytes(3000)));
  EXPECT_EQ(registry.queryBufferSizes.size(), 9U);
  EXPECT_EQ(registry.queryBufferSizes.back(), 3000U);
  EXPECT_TRUE(RootStillUsable());
}

TEST_F(Win32RegistryTest, StringsBeyond1024BytesTakeASecondQuery) {
  SetA("Fits", REG_SZ, std::string(1023, 'a') + '\0');
  SetA("Larger", REG_SZ, std::string(1024, 'b') + '\0');
  SetA("LargerMulti", REG_MULTI_SZ, std::string(2000, 'c') + "\0\0"s);

  EXPECT_EQ(Get(L"Fits"), RegVariant(std::wstring(1023, L'a')));
  EXPECT_EQ(registry.queryBufferSizes.size(), 1U);
  EXPECT_EQ(Get(L"Larger"), RegVariant(std::wstring(1024, L'b')));
  EXPECT_EQ(registry.queryBufferSizes.size(), 3U);
  // The size that the ANSI call asks for may be the stored Unicode size.
  EXPECT_GE(registry.queryBufferSizes.back(), 1025U);
  EXPECT_EQ(Get(L"LargerMulti"), RegVariant(std::wstring(2000, L'c')));
  EXPECT_EQ(registry.queryBufferSizes.size(), 5U);
}

TEST_F(Win32RegistryTest, UnsupportedOrMissingValuesRaise1001AndADefaultOnlyCoversMissingKeys) {
  SetA("None", REG_NONE, "abc"s);
  SetA("BigEndian", REG_DWORD_BIG_ENDIAN, "\x00\x00\x00\x01"s);
  SetA("Qword", REG_QWORD, "\x01\x00\x00\x00\x00\x00\x00\x00"s);

  for (const wchar_t* name : {L"None", L"BigEndian", L"Qword", L"Missing"}) {
    EXPECT_EQ(ErrorNumberOf(name), kUnsupportedValueType) << name;
  }
  EXPECT_EQ(RegGetValue(registry, root, L"NoSuchKey", L"JavaHome", RegVariant(L"default"s)),
            RegVariant(L"default"s));
  EXPECT_EQ(RegGetValue(registry, root, L"NoSuchKey", L"JavaHome"), RegVariant(Empty{}));
  EXPECT_TRUE(RootStillUsable());
}

TEST_F(Win32RegistryTest, KeysAndSubKeysBelowAHandleTheCallerHolds) {
  for (const wchar_t* version : {L"1.4", L"1.5", L"1.5.0_06"}) {
    CreateSubKey(std::wstring(L"Java Runtime Environment\\") + version);
  }

  EXPECT_TRUE(RegKeyExists(registry, root, L"Java Runtime Environment"));
  EXPECT_TRUE(RegKeyExists(registry, root, L""));
  EXPECT_FALSE(RegKeyExists(registry, root, L"Missing"));
  const SubKeyCollection versions = RegEnumSubKeys(registry, root, L"java runtime environment");
  EXPECT_EQ(std::vector<std::wstring>(versions.begin(), versions.end()),
            (std::vector<std::wstring>{L"1.4", L"1.5", L"1.5.0_06"}));
  const SubKeyCollection top = RegEnumSubKeys(registry, root, L"");
  EXPECT_EQ(std::vector<std::wstring>(top.begin(), top.end()),
            std::vector<std::wstring>{L"Java Runtime Environment"});
  EXPECT_TRUE(RegEnumSubKeys(registry, root, L"Missing").empty());

  for (const KeyHandle closed : registry.closed) {
    EXPECT_NE(closed, root);
  }
  EXPECT_TRUE(RootStillUsable());
}

TEST_F(Win32RegistryTest, TextCrossesTheAnsiCodePage) {
  EXPECT_EQ(system.ToAnsi(L""), "");
  EXPECT_EQ(system.FromAnsi(""), L"");
  EXPECT_EQ(system.ToAnsi(L"a\0b"s), "a\0b"s);
  EXPECT_EQ(system.FromAnsi("a\0b\0"s), L"a\0b\0"s);
  if (GetACP() != 1252) {
    GTEST_SKIP() << "the system's ANSI code page is " << GetACP();
  }
  EXPECT_EQ(system.ToAnsi(L"Caf\u00E9 \u20AC"), "Caf\xE9 \x80");
  SetW(L"Caf\u00E9", REG_SZ, L"C:\\Programme\\J\u00E4va");
  CreateSubKey(L"\u00C4rger");
  EXPECT_EQ(Get(L"Caf\u00E9"), RegVariant(L"C:\\Programme\\J\u00E4va"s));
  const SubKeyCollection names = RegEnumSubKeys(registry, root, L"");
  EXPECT_EQ(std::vector<std::wstring>(names.begin(), names.end()),
            (std::vector<std::wstring>{L"Values", L"\u00C4rger"}));
}

TEST(Win32RegistryViewTest, AKeyOfThe64BitViewOpensOnlyWithItsFlag) {
  if (!Win32SystemInformation().Is64BitWindows()) {
    GTEST_SKIP() << "32-bit Windows has one registry view";
  }
  const std::wstring path = L"SOFTWARE\\TovaneQuillonView" + std::to_wstring(GetCurrentProcessId());
  UniqueHkey created;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                            KEY_READ | KEY_WOW64_64KEY, nullptr, created.put(), nullptr),
            ERROR_SUCCESS);
  Win32Registry registry;
  for (const auto& [access, result] : {std::pair{kKeyRead | kKeyWow64_64Key, kErrorSuccess},
                                       std::pair{kKeyRead, kErrorFileNotFound},
                                       std::pair{kKeyRead | kKeyWow64_32Key, kErrorFileNotFound}}) {
    KeyHandle key = 0;
    EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, registry.ToAnsi(path), 0, access, &key), result);
    registry.CloseKey(key);
  }
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_64KEY, 0);
}

}  // namespace
}  // namespace tq
