#pragma once

// Registry set-up for a test, undone when the test ends: every key it made
// is deleted, every value it changed gets its old data back.

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"

namespace tq::e2e {

class RegistryScope {
 public:
  // `view`: KEY_WOW64_32KEY for what a 32-bit program such as the launcher
  // reads, KEY_WOW64_64KEY for the other view.
  explicit RegistryScope(REGSAM view = KEY_WOW64_32KEY);
  RegistryScope(const RegistryScope&) = delete;
  RegistryScope& operator=(const RegistryScope&) = delete;
  ~RegistryScope();

  // Makes sure the key is absent, whatever an earlier run left; this is
  // not undone.
  void RemoveTree(HKEY root, const std::wstring& key);

  // Sets a value, creating the key as needed. Throws std::runtime_error on
  // failure.
  void SetString(HKEY root, const std::wstring& key, const std::wstring& name,
                 const std::wstring& value);
  void SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
  void SetBinary(HKEY root, const std::wstring& key, const std::wstring& name,
                 const std::vector<BYTE>& value);
  void Set(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
           const void* data, DWORD size);

  // Whether the key exists in this scope's view.
  [[nodiscard]] bool Exists(HKEY root, const std::wstring& key) const;

  // Undoes everything set so far, newest first.
  void Restore();

 private:
  void RememberHowToUndo(HKEY root, const std::wstring& key, const std::wstring& name);

  REGSAM view_;
  std::vector<std::function<void()>> undo_;
};

// Registers a Java runtime as its installer does: the version's key under
// expected::kJavaRuntimeKey with its "JavaHome" text.
void RegisterJavaRuntime(RegistryScope& registry, const std::wstring& version,
                         const std::wstring& javaHome);

}  // namespace tq::e2e
