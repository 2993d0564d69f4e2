#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "interfaces/registry_provider.h"
#include "platform/memory/code_pages.h"
#include "platform/memory/fault_plan.h"

namespace tq {

// For building only: the root of HKEY_LOCAL_MACHINE's 64-bit view, which a
// key opened from kHkeyLocalMachine with kKeyWow64_64Key reads. Odd, so no
// handle the registry hands out (multiples of four) and no predefined root
// is ever this value; the registry's calls do not take it.
inline constexpr KeyHandle kHkeyLocalMachine64BitView = 0x3;
inline constexpr std::int32_t kErrorInvalidHandle = 6;
inline constexpr std::int32_t kErrorInvalidParameter = 87;

// A registry in memory that answers like advapi32's ANSI calls: a tree of
// keys with typed values below the predefined roots HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER, handles it hands out and takes back, and a code page of
// its own. HKEY_LOCAL_MACHINE has two trees, as on 64-bit Windows: the 32-bit
// view every call reads, and the 64-bit view a key opened from the root with
// kKeyWow64_64Key reads (keys opened below it stay there). HKEY_CURRENT_USER
// has one, as its SOFTWARE key is shared between the views. Names are found without regard to
// letter case and enumerate in the order they were created. Tests build it through the Create/Set
// methods, make calls fail through the fault plan, and watch the calls through calls() and
// OpenHandleCount().
class MemoryRegistry final : public RegistryProvider {
 public:
  // The registry's operations, as calls() records them.
  static constexpr Operation kOpenKey = Operation::kOpenKey;
  static constexpr Operation kEnumKey = Operation::kEnumKey;
  static constexpr Operation kQueryValue = Operation::kQueryValue;
  static constexpr Operation kCloseKey = Operation::kCloseKey;

  struct Call {
    Operation operation;
    KeyHandle key;
    // RegOpenKeyExA's path or RegQueryValueExA's value name, as passed.
    std::string name;
    // RegOpenKeyExA's access, RegEnumKeyA's index; else 0.
    std::uint32_t argument;
    // The buffer size passed: RegEnumKeyA's name size, RegQueryValueExA's
    // size on entry; else 0.
    std::uint32_t bufferSize;
    std::int32_t result;
  };

  // The plan counts the calls (CallCount) and makes the planned ones fail.
  explicit MemoryRegistry(FaultPlan& faults, CodePage codePage = CodePage::kWindows1252);
  ~MemoryRegistry() override;
  MemoryRegistry(const MemoryRegistry&) = delete;
  MemoryRegistry& operator=(const MemoryRegistry&) = delete;

  std::int32_t OpenKey(KeyHandle parent, const std::string& path, std::uint32_t options,
                       std::uint32_t access, KeyHandle* result) override;
  std::int32_t EnumKey(KeyHandle key, std::uint32_t index, char* name,
                       std::uint32_t nameSize) override;
  std::int32_t QueryValue(KeyHandle key, const std::string& valueName, std::uint32_t* reserved,
                          std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override;
  std::int32_t CloseKey(KeyHandle key) override;
  std::string ToAnsi(const std::wstring& text) override;
  std::wstring FromAnsi(const std::string& bytes) override;

  // --- Building. `key` is a predefined root, kHkeyLocalMachine64BitView or
  // an open handle; paths are backslash-separated and every missing key on
  // the way is created.
  void CreateKey(KeyHandle key, std::wstring_view path);
  void SetValue(KeyHandle key, std::wstring_view path, std::wstring_view name, std::uint32_t type,
                std::vector<std::uint8_t> data);
  // The text in the registry's code page with one closing NUL. For a
  // REG_MULTI_SZ, end the text with the NUL after its last member.
  void SetString(KeyHandle key, std::wstring_view path, std::wstring_view name,
                 std::wstring_view text, std::uint32_t type = kRegSz);
  void SetDword(KeyHandle key, std::wstring_view path, std::wstring_view name,
                std::uint32_t number);
  void RemoveValue(KeyHandle key, std::wstring_view path, std::wstring_view name);
  // Opening the key then fails with ERROR_ACCESS_DENIED, as for a key whose
  // security refuses reading.
  void DenyRead(KeyHandle key, std::wstring_view path);

  // --- Another program at work: runs the change right after the
  // callNumber-th RegQueryValueExA (counted from 1) has answered, as when a
  // value changes between two queries. Not a failure: the calls answer as
  // the registry then stands.
  void ChangeAfterQuery(std::size_t callNumber, std::function<void(MemoryRegistry&)> change);

  // --- Watching.
  // Without the log (benchmarks) calls are only counted.
  void KeepCallLog(bool keep) noexcept { keepCallLog_ = keep; }
  [[nodiscard]] const std::vector<Call>& calls() const noexcept { return calls_; }
  [[nodiscard]] std::size_t CallCount(Operation operation) const {
    return faults_.Calls(operation);
  }
  [[nodiscard]] std::size_t OpenHandleCount() const noexcept { return handles_.size(); }
  [[nodiscard]] bool IsOpen(KeyHandle key) const { return handles_.contains(key); }

 private:
  struct Value;
  struct Key;

  [[nodiscard]] Key* KeyOf(KeyHandle handle) const;
  Key& KeyAt(KeyHandle key, std::wstring_view path);
  std::int32_t Record(Call call);

  FaultPlan& faults_;
  CodePage codePage_;
  std::unique_ptr<Key> localMachine_;
  std::unique_ptr<Key> localMachine64BitView_;
  std::unique_ptr<Key> currentUser_;
  std::unordered_map<KeyHandle, Key*> handles_;
  KeyHandle nextHandle_ = 0x100;
  bool keepCallLog_ = true;
  std::vector<Call> calls_;
  std::map<std::size_t, std::function<void(MemoryRegistry&)>> changesAfterQuery_;
};

}  // namespace tq
