#include "tests/e2e/registry_scope.h"

#include <stdexcept>

#include "platform/win32/unique_any.h"
#include "tests/launcher_expectations.h"

namespace tq::e2e {
namespace {

std::runtime_error Failure(const char* what, LSTATUS status) {
  return std::runtime_error(std::string("registry: ") + what + " failed with " +
                            std::to_string(status));
}

std::wstring ParentOf(const std::wstring& key) {
  const std::size_t slash = key.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : key.substr(0, slash);
}

std::wstring LeafOf(const std::wstring& key) { return key.substr(key.find_last_of(L'\\') + 1); }

LSTATUS DeleteTree(HKEY root, const std::wstring& key, REGSAM view) {
  const std::wstring parent = ParentOf(key);
  UniqueHkey parentKey;
  LSTATUS status =
      RegOpenKeyExW(root, parent.c_str(), 0, KEY_READ | KEY_WRITE | DELETE | view, parentKey.put());
  if (status != ERROR_SUCCESS) {
    return status;
  }
  status = RegDeleteTreeW(parentKey.get(), LeafOf(key).c_str());
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

}  // namespace

RegistryScope::RegistryScope(REGSAM view) : view_(view) {}

RegistryScope::~RegistryScope() { Restore(); }

void RegistryScope::Restore() {
  while (!undo_.empty()) {
    const std::function<void()> undo = std::move(undo_.back());
    undo_.pop_back();
    undo();
  }
}

bool RegistryScope::Exists(HKEY root, const std::wstring& key) const {
  UniqueHkey handle;
  return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view_, handle.put()) == ERROR_SUCCESS;
}

void RegistryScope::RemoveTree(HKEY root, const std::wstring& key) {
  if (const LSTATUS status = DeleteTree(root, key, view_);
      status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    throw Failure("deleting a key", status);
  }
}

void RegistryScope::RememberHowToUndo(HKEY root, const std::wstring& key,
                                      const std::wstring& name) {
  const REGSAM view = view_;
  // The first missing key on the way down goes, with all that is made below.
  for (std::size_t end = key.find(L'\\');; end = key.find(L'\\', end + 1)) {
    const std::wstring part = key.substr(0, end);
    if (!Exists(root, part)) {
      undo_.push_back([root, part, view] { DeleteTree(root, part, view); });
      return;
    }
    if (end == std::wstring::npos) {
      break;
    }
  }
  UniqueHkey handle;
  RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, handle.put());
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    undo_.push_back([root, key, name, view] {
      UniqueHkey open;
      if (RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE | view, open.put()) == ERROR_SUCCESS) {
        RegDeleteValueW(open.get(), name.c_str());
      }
    });
    return;
  }
  std::vector<BYTE> old(size);
  RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type, old.data(), &size);
  undo_.push_back([root, key, name, view, type, old] {
    UniqueHkey open;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE | view, open.put()) == ERROR_SUCCESS) {
      RegSetValueExW(open.get(), name.c_str(), 0, type, old.data(), static_cast<DWORD>(old.size()));
    }
  });
}

void RegistryScope::Set(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                        const void* data, DWORD size) {
  RememberHowToUndo(root, key, name);
  UniqueHkey handle;
  LSTATUS status = RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view_, nullptr,
                                   handle.put(), nullptr);
  if (status != ERROR_SUCCESS) {
    throw Failure("creating a key", status);
  }
  status =
      RegSetValueExW(handle.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  if (status != ERROR_SUCCESS) {
    throw Failure("setting a value", status);
  }
}

void RegistryScope::SetString(HKEY root, const std::wstring& key, const std::wstring& name,
                              const std::wstring& value) {
  // The stored text ends in its null, as the system's own tools write it.
  Set(root, key, name, REG_SZ, value.c_str(),
      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RegistryScope::SetDword(HKEY root, const std::wstring& key, const std::wstring& name,
                             DWORD value) {
  Set(root, key, name, REG_DWORD, &value, sizeof value);
}

void RegistryScope::SetBinary(HKEY root, const std::wstring& key, const std::wstring& name,
                              const std::vector<BYTE>& value) {
  Set(root, key, name, REG_BINARY, value.data(), static_cast<DWORD>(value.size()));
}

void RegisterJavaRuntime(RegistryScope& registry, const std::wstring& version,
                         const std::wstring& javaHome) {
  registry.SetString(HKEY_LOCAL_MACHINE, std::wstring(expected::kJavaRuntimeKey) + L"\\" + version,
                     L"JavaHome", javaHome);
}

}  // namespace tq::e2e
