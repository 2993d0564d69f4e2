#pragma once

// A registry provider whose answers a test scripts: opening any key
// succeeds and hands out `handle`, closing counts the open keys down, names
// go through Windows-1252. The key is empty (no subkeys, no values) unless a
// test overrides the enumeration or the queries.

#include <cstdint>
#include <string>

#include "interfaces/registry_provider.h"
#include "platform/memory/code_pages.h"

namespace tq {

class OneKeyRegistry : public RegistryProvider {
 public:
  explicit OneKeyRegistry(KeyHandle handle) : handle_(handle) {}

  // Keys opened and not closed yet.
  int openHandles = 0;

  std::int32_t OpenKey(KeyHandle, const std::string&, std::uint32_t, std::uint32_t,
                       KeyHandle* result) override {
    ++openHandles;
    *result = handle_;
    return kErrorSuccess;
  }
  std::int32_t EnumKey(KeyHandle, std::uint32_t, char*, std::uint32_t) override {
    return kErrorNoMoreItems;
  }
  std::int32_t QueryValue(KeyHandle, const std::string&, std::uint32_t*, std::uint32_t*,
                          std::uint8_t*, std::uint32_t*) override {
    return kErrorFileNotFound;
  }
  std::int32_t CloseKey(KeyHandle) override {
    --openHandles;
    return kErrorSuccess;
  }
  std::string ToAnsi(const std::wstring& text) override { return ToWindows1252(text); }
  std::wstring FromAnsi(const std::string& bytes) override { return FromWindows1252(bytes); }

 private:
  KeyHandle handle_;
};

}  // namespace tq
