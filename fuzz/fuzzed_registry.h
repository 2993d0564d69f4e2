#pragma once

// A registry provider for the registry fuzzer: every answer (result codes,
// types, sizes, names, data) comes from the fuzz input, and every call is
// checked against what the read helpers may ask. It records what it
// answered, so the fuzzer can work out what the helpers must make of it.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "interfaces/registry_provider.h"
#include "platform/memory/code_pages.h"
#include "registry/m_registry.h"

namespace tq::fuzz {

class FuzzedRegistry final : public RegistryProvider {
 public:
  struct Query {
    std::uint32_t bufferSize;
    std::int32_t status;
    std::uint32_t type;  // as the helper's variable stands after the call
    std::uint32_t size;
    ByteArray buffer;  // the buffer's contents after the call
  };

  FuzzedRegistry(FuzzedDataProvider& input, CodePage codePage, KeyHandle root)
      : input_(input), codePage_(codePage), root_(root) {}

  // What the helper must pass, in the code page.
  std::string expectedPath;
  std::string expectedValueName;

  // What it answered: each open's result, the handles not closed yet, each
  // name listed (its whole 260-byte buffer), the status that ended the
  // enumeration (success while it runs), and the queries.
  std::vector<std::int32_t> openResults;
  std::set<KeyHandle> open;
  std::vector<std::string> enumeratedNames;
  std::int32_t enumEndStatus = kErrorSuccess;
  std::vector<Query> queries;

  std::int32_t OpenKey(KeyHandle parent, const std::string& path, std::uint32_t options,
                       std::uint32_t access, KeyHandle* result) override;
  std::int32_t EnumKey(KeyHandle key, std::uint32_t index, char* name,
                       std::uint32_t nameSize) override;
  std::int32_t QueryValue(KeyHandle key, const std::string& valueName, std::uint32_t* reserved,
                          std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override;
  std::int32_t CloseKey(KeyHandle key) override;

  std::string ToAnsi(const std::wstring& text) override { return ToCodePage(codePage_, text); }
  std::wstring FromAnsi(const std::string& bytes) override {
    return FromCodePage(codePage_, bytes);
  }

 private:
  // A query's status: success, more data, not found, or any number.
  std::int32_t AnswerStatus();

  // A grown value, a shrunk one, or a size no buffer can have; never so
  // large that the fuzzer spends its time allocating.
  std::uint32_t NeededSize(std::uint32_t bufferSize);

  FuzzedDataProvider& input_;
  CodePage codePage_;
  KeyHandle root_;
  KeyHandle nextHandle_ = 0x100;
};

}  // namespace tq::fuzz
