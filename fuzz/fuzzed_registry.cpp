#include "fuzz/fuzzed_registry.h"

#include <algorithm>

#include "fuzz/fuzz_check.h"

namespace tq::fuzz {
namespace {

constexpr std::uint32_t kNameBufferSize = 260;
// Past this many subkeys the enumeration ends, so that a long input spends
// its bytes on names and data rather than on one endless list.
constexpr std::size_t kMostSubKeys = 512;

}  // namespace

std::int32_t FuzzedRegistry::OpenKey(KeyHandle parent, const std::string& path,
                                     std::uint32_t options, std::uint32_t access,
                                     KeyHandle* result) {
  Check(openResults.empty(), "a helper opens at most one key");
  Check(parent == root_, "keys are opened below root");
  Check(path == expectedPath, "the key path crosses in the code page");
  Check(options == 0 && access == kKeyRead, "keys are opened with KEY_READ only");
  Check(result != nullptr, "the open has somewhere to put the handle");
  const std::int32_t status =
      input_.ConsumeBool() ? kErrorSuccess : input_.ConsumeIntegral<std::int32_t>();
  if (status == kErrorSuccess) {
    *result = nextHandle_;
    open.insert(nextHandle_);
    nextHandle_ += 4;
  }
  openResults.push_back(status);
  return status;
}

std::int32_t FuzzedRegistry::EnumKey(KeyHandle key, std::uint32_t index, char* name,
                                     std::uint32_t nameSize) {
  Check(key == root_ || open.count(key) == 1, "enumerates root or the key it opened");
  Check(enumEndStatus == kErrorSuccess, "the enumeration ends at the first failure");
  Check(index == enumeratedNames.size(), "indexes run 0, 1, 2, ...");
  Check(nameSize == kNameBufferSize, "each name buffer holds 260 bytes");
  Check(std::all_of(name, name + nameSize, [](char byte) { return byte == 0; }),
        "each index gets a fresh zero-filled buffer");
  std::int32_t status = kErrorNoMoreItems;
  if (input_.remaining_bytes() > 0 && enumeratedNames.size() < kMostSubKeys) {
    switch (input_.ConsumeIntegralInRange(0, 7)) {
      case 6:
        status = kErrorMoreData;
        break;
      case 7:
        status = input_.ConsumeIntegral<std::int32_t>();
        break;
      default:
        status = kErrorSuccess;
    }
  }
  if (status != kErrorSuccess) {
    enumEndStatus = status;
    return status;
  }
  const std::string bytes =
      input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange<std::size_t>(0, nameSize));
  std::copy(bytes.begin(), bytes.end(), name);
  enumeratedNames.emplace_back(name, nameSize);
  return kErrorSuccess;
}

std::int32_t FuzzedRegistry::QueryValue(KeyHandle key, const std::string& valueName,
                                        std::uint32_t* reserved, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
  Check(open.count(key) == 1, "queries the key the helper opened");
  Check(valueName == expectedValueName, "the value name crosses in the code page");
  Check(reserved == nullptr && type != nullptr && size != nullptr, "query arguments");
  Check(queries.size() < 2, "at most two queries");
  if (queries.empty()) {
    Check(*size == 1024, "the first query has 1024 bytes");
  } else {
    Check(queries[0].status == kErrorMoreData, "a second query only after 'more data'");
    Check(*size == queries[0].size, "the second buffer has exactly the reported size");
  }
  const std::uint32_t bufferSize = *size;
  Check(std::all_of(data, data + bufferSize, [](std::uint8_t byte) { return byte == 0; }),
        "the data buffer starts zero-filled");

  const std::int32_t status = AnswerStatus();
  if (status == kErrorSuccess || input_.ConsumeBool()) {
    *type = input_.ConsumeBool() ? input_.ConsumeIntegralInRange<std::uint32_t>(0, 12)
                                 : input_.ConsumeIntegral<std::uint32_t>();
  }
  const std::string bytes = input_.ConsumeBytesAsString(
      input_.ConsumeIntegralInRange<std::size_t>(0, std::min(bufferSize, 70000U)));
  std::copy(bytes.begin(), bytes.end(), data);
  if (status == kErrorMoreData) {
    *size = NeededSize(bufferSize);
  } else if (status == kErrorSuccess || input_.ConsumeBool()) {
    *size = input_.ConsumeBool() ? static_cast<std::uint32_t>(bytes.size())
                                 : input_.ConsumeIntegral<std::uint32_t>();
  }
  queries.push_back({bufferSize, status, *type, *size, ByteArray(data, data + bufferSize)});
  return status;
}

std::int32_t FuzzedRegistry::CloseKey(KeyHandle key) {
  Check(key != root_, "root is never closed");
  Check(open.erase(key) == 1, "only an open key is closed, once");
  return input_.ConsumeBool() ? kErrorSuccess : input_.ConsumeIntegral<std::int32_t>();
}

std::int32_t FuzzedRegistry::AnswerStatus() {
  switch (input_.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return kErrorSuccess;
    case 1:
      return kErrorMoreData;
    case 2:
      return kErrorFileNotFound;
    default:
      return input_.ConsumeIntegral<std::int32_t>();
  }
}

std::uint32_t FuzzedRegistry::NeededSize(std::uint32_t bufferSize) {
  switch (input_.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return bufferSize + input_.ConsumeIntegralInRange<std::uint32_t>(0, 4096);
    case 1:
      return input_.ConsumeIntegralInRange<std::uint32_t>(0, 70000);
    case 2:
      return input_.ConsumeIntegralInRange<std::uint32_t>(0x80000000U, 0xFFFFFFFFU);
    default:
      return 1025;
  }
}

}  // namespace tq::fuzz
