#include "registry/m_registry.h"

#include <algorithm>
#include <array>
#include <new>
#include <utility>

#include "common/error.h"
#include "registry/checked_int32.h"
#include "registry/opened_key.h"

namespace tq {
namespace {

// Every enumerated name is read into a buffer of its own of this size; the
// longest key name and its NUL fit.
constexpr std::uint32_t kNameBufferSize = 260;
// The first query's buffer; a larger value takes one more query.
constexpr std::int32_t kFirstValueBufferSize = 1024;

ByteArray ZeroFilledBuffer(std::int32_t size) {
  if (size < 0) {
    throw Overflow();
  }
  try {
    ByteArray buffer(static_cast<std::size_t>(size));  // value-initialised: zeros
    return buffer;
  } catch (const std::bad_alloc&) {
    throw OutOfMemory();
  }
}

// The number of bytes of the buffer that the reported size covers. A value
// that changed between the two queries can report more than the buffer holds.
std::int32_t SizeWithinBuffer(std::int32_t reportedSize, const ByteArray& buffer) {
  return std::min(reportedSize, static_cast<std::int32_t>(buffer.size()));
}

// The first count bytes of the buffer as text; a count below 1 (data too
// short to hold even the terminating NULs) gives the empty text.
std::wstring DecodeLeadingBytes(RegistryProvider& registry, const ByteArray& buffer,
                                std::int32_t count) {
  if (count <= 0) {
    return {};
  }
  const auto begin = buffer.begin();
  return registry.FromAnsi(std::string(begin, begin + count));
}

// A DWORD is read from the first four bytes whatever the size says; bytes
// that a short buffer lacks count as zero.
std::int32_t LittleEndianInt32(const ByteArray& buffer) {
  std::uint32_t value = 0;
  for (std::size_t index = 0; index < 4 && index < buffer.size(); ++index) {
    value |= std::uint32_t{buffer[index]} << (8 * index);
  }
  return static_cast<std::int32_t>(value);
}

ByteArray LeadingBytes(ByteArray buffer, std::int32_t count) {
  buffer.resize(static_cast<std::size_t>(std::max(count, 0)));
  return buffer;
}

// Adds the names that the platform enumerates, index by index, until its
// first non-zero result: the end of the list and a name too long for the
// buffer alike.
void AddSubKeyNames(RegistryProvider& registry, KeyHandle key, SubKeyCollection& names) {
  for (std::int32_t index = 0;; index = CheckedAdd(index, 1)) {
    std::array<char, kNameBufferSize> buffer{};
    if (registry.EnumKey(key, static_cast<std::uint32_t>(index), buffer.data(), kNameBufferSize) !=
        kErrorSuccess) {
      return;
    }
    // A copy of just the name: the whole converted buffer would keep room
    // for 260 characters in the collection for every name.
    const std::wstring converted = registry.FromAnsi(std::string(buffer.data(), buffer.size()));
    names.Add(converted.substr(0, converted.find(L'\0')));
  }
}

}  // namespace

// The helpers take their strings by value, as callers of this module expect:
// a caller's string never changes, whatever a helper does with its copy.
// NOLINTBEGIN(performance-unnecessary-value-param)

bool RegKeyExists(RegistryProvider& registry, KeyHandle root, std::wstring keyPath) {
  std::optional<OpenedKey> key = OpenedKey::Open(registry, root, registry.ToAnsi(keyPath));
  return key.has_value();
}

SubKeyCollection RegEnumSubKeys(RegistryProvider& registry, KeyHandle root, std::wstring keyPath) {
  SubKeyCollection names;
  if (keyPath.empty()) {
    AddSubKeyNames(registry, root, names);
    return names;
  }
  std::optional<OpenedKey> key = OpenedKey::Open(registry, root, registry.ToAnsi(keyPath));
  if (!key) {
    return names;
  }
  AddSubKeyNames(registry, key->get(), names);
  key->Close();
  return names;
}

RegVariant RegGetValue(RegistryProvider& registry, KeyHandle root, std::wstring keyPath,
                       std::wstring valueName, std::optional<RegVariant> defaultValue) {
  RegVariant result = defaultValue ? std::move(*defaultValue) : RegVariant(Empty{});
  std::optional<OpenedKey> key = OpenedKey::Open(registry, root, registry.ToAnsi(keyPath));
  if (!key) {
    return result;
  }

  const std::string name = registry.ToAnsi(valueName);
  std::uint32_t type = kRegNone;
  std::uint32_t size = kFirstValueBufferSize;
  ByteArray buffer = ZeroFilledBuffer(kFirstValueBufferSize);
  // Only "too small" is acted on: success and every other failure go on
  // with the type and size as the query left them, so a missing value
  // keeps type 0 and ends in the unsupported-type error below.
  if (registry.QueryValue(key->get(), name, nullptr, &type, buffer.data(), &size) ==
      kErrorMoreData) {
    buffer = ZeroFilledBuffer(AsSigned32(size));
    registry.QueryValue(key->get(), name, nullptr, &type, buffer.data(), &size);
  }
  const std::int32_t dataSize = SizeWithinBuffer(AsSigned32(size), buffer);

  switch (type) {
    case kRegSz:
    case kRegExpandSz:
      result = DecodeLeadingBytes(registry, buffer, CheckedSubtract(dataSize, 1));
      break;
    case kRegMultiSz:
      result = DecodeLeadingBytes(registry, buffer, CheckedSubtract(dataSize, 2));
      break;
    case kRegBinary:
      result = LeadingBytes(std::move(buffer), dataSize);
      break;
    case kRegDword:
      result = LittleEndianInt32(buffer);
      break;
    default:
      key->Close();
      throw UnsupportedValueType();
  }
  key->Close();
  return result;
}

// NOLINTEND(performance-unnecessary-value-param)

}  // namespace tq
