#include "runtime/pe_image.h"

#include <cstddef>
#include <utility>

#include "common/decimal_text.h"
#include "common/text.h"

namespace tq {
namespace {

// Offsets and sizes from the PE format (Microsoft's "PE Format" page) and winnt.h's structures.
constexpr std::size_t kLfanewAt = 0x3C;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::uint16_t kPe32Magic = 0x10B, kPe32PlusMagic = 0x20B;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kHighBit = 0x80000000U;
constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr std::size_t kFixedFileInfoSize = 52;

// Whether `length` bytes from `offset` lie within `size` bytes; the arithmetic is 64-bit so that
// no offset read from the image can wrap around, even in a 32-bit build.
bool Within(std::size_t size, std::uint64_t offset, std::uint64_t length) {
  return offset <= size && length <= size - offset;
}

std::optional<std::uint16_t> Word(std::string_view bytes, std::uint64_t at) {
  if (!Within(bytes.size(), at, 2)) {
    return std::nullopt;
  }
  const auto i = static_cast<std::size_t>(at);
  return static_cast<std::uint16_t>(ByteAt(bytes, i) | (ByteAt(bytes, i + 1) << 8));
}

std::optional<std::uint32_t> Dword(std::string_view bytes, std::uint64_t at) {
  const std::optional<std::uint16_t> low = Word(bytes, at);
  const std::optional<std::uint16_t> high = Word(bytes, at + 2);
  if (!low || !high) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(*low) | (static_cast<std::uint32_t>(*high) << 16);
}

// The file header's offset, once the DOS header points to a PE signature.
std::optional<std::uint64_t> FileHeaderAt(std::string_view bytes) {
  if (!bytes.starts_with("MZ")) {
    return std::nullopt;
  }
  const std::optional<std::uint32_t> lfanew = Dword(bytes, kLfanewAt);
  if (!lfanew || !Within(bytes.size(), *lfanew, 4 + kFileHeaderSize) ||
      bytes.substr(*lfanew, 4) != std::string_view("PE\0\0", 4)) {
    return std::nullopt;
  }
  return std::uint64_t{*lfanew} + 4;
}

// The section table, through which an RVA becomes bytes of the file.
struct Sections {
  std::string_view bytes;
  std::uint64_t tableAt = 0;
  std::uint16_t count = 0;

  // The bytes of the file from rva to the end of the section's raw data that holds it (never
  // beyond the file); nothing when no section holds it in the file.
  [[nodiscard]] std::optional<std::string_view> At(std::uint32_t rva) const {
    for (std::uint16_t i = 0; i < count; ++i) {
      const std::uint64_t header = tableAt + std::uint64_t{i} * kSectionHeaderSize;
      const std::optional<std::uint32_t> address = Dword(bytes, header + 12);
      const std::optional<std::uint32_t> rawSize = Dword(bytes, header + 16);
      const std::optional<std::uint32_t> rawAt = Dword(bytes, header + 20);
      if (!address || !rawSize || !rawAt) {
        return std::nullopt;
      }
      if (rva < *address || rva - *address >= *rawSize) {
        continue;
      }
      const std::uint64_t from = std::uint64_t{*rawAt} + (rva - *address);
      const std::uint64_t end = std::uint64_t{*rawAt} + *rawSize;
      if (!Within(bytes.size(), from, end - from)) {
        return std::nullopt;
      }
      return bytes.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(end - from));
    }
    return std::nullopt;
  }
};

// The resource directory (the root of the resource tree) and the section table.
std::optional<std::pair<std::string_view, Sections>> ResourceDirectory(std::string_view bytes) {
  const std::optional<std::uint64_t> fileHeader = FileHeaderAt(bytes);
  if (!fileHeader) {
    return std::nullopt;
  }
  const std::optional<std::uint16_t> sectionCount = Word(bytes, *fileHeader + 2);
  const std::optional<std::uint16_t> optionalSize = Word(bytes, *fileHeader + 16);
  const std::uint64_t optionalAt = *fileHeader + kFileHeaderSize;
  const std::optional<std::uint16_t> magic = Word(bytes, optionalAt);
  if (!sectionCount || !optionalSize || !magic ||
      (*magic != kPe32Magic && *magic != kPe32PlusMagic)) {
    return std::nullopt;
  }
  // PE32+ widens ImageBase and the four stack and heap sizes, which come before the directories.
  const std::uint64_t countAt = *magic == kPe32Magic ? 92 : 108;
  const std::uint64_t directory = countAt + 4 + 8 * std::uint64_t{kResourceDirectoryIndex};
  const std::optional<std::uint32_t> directoryCount = Dword(bytes, optionalAt + countAt);
  if (!directoryCount || *directoryCount <= kResourceDirectoryIndex ||
      directory + 8 > *optionalSize) {
    return std::nullopt;
  }
  const std::optional<std::uint32_t> rva = Dword(bytes, optionalAt + directory);
  const Sections sections{bytes, optionalAt + *optionalSize, *sectionCount};
  if (!rva || *rva == 0) {
    return std::nullopt;
  }
  const std::optional<std::string_view> root = sections.At(*rva);
  if (!root) {
    return std::nullopt;
  }
  return std::pair{*root, sections};
}

// The entry of a resource directory (at `at` in the tree) with that ID, or its first entry when
// no ID is asked for: its OffsetToData.
std::optional<std::uint32_t> Entry(std::string_view tree, std::uint32_t at,
                                   std::optional<std::uint32_t> id) {
  const std::optional<std::uint16_t> named = Word(tree, std::uint64_t{at} + 12);
  const std::optional<std::uint16_t> numbered = Word(tree, std::uint64_t{at} + 14);
  if (!named || !numbered) {
    return std::nullopt;
  }
  const unsigned count = unsigned{*named} + *numbered;
  for (unsigned i = 0; i < count; ++i) {
    const std::uint64_t entry = std::uint64_t{at} + 16 + std::uint64_t{i} * 8;
    const std::optional<std::uint32_t> name = Dword(tree, entry);
    const std::optional<std::uint32_t> data = Dword(tree, entry + 4);
    if (!name || !data) {
      return std::nullopt;
    }
    if (!id || ((*name & kHighBit) == 0 && *name == *id)) {
      return data;
    }
  }
  return std::nullopt;
}

// A subdirectory's offset in the tree from an entry's OffsetToData.
std::optional<std::uint32_t> Subdirectory(std::optional<std::uint32_t> data) {
  if (!data || (*data & kHighBit) == 0) {
    return std::nullopt;
  }
  return *data & ~kHighBit;
}

// The bytes of the version resource: its VS_VERSIONINFO.
std::optional<std::string_view> VersionResource(std::string_view bytes) {
  const auto directory = ResourceDirectory(bytes);
  if (!directory) {
    return std::nullopt;
  }
  const auto& [tree, sections] = *directory;
  const std::optional<std::uint32_t> names = Subdirectory(Entry(tree, 0, kRtVersion));
  const std::optional<std::uint32_t> languages =
      names ? Subdirectory(Entry(tree, *names, std::nullopt)) : std::nullopt;
  if (!languages) {
    return std::nullopt;
  }
  // value_or, not a test and a dereference: GCC's -Os warns of the latter
  // as maybe uninitialised. A high bit names a subdirectory, no data.
  const std::uint32_t dataEntry = Entry(tree, *languages, std::nullopt).value_or(kHighBit);
  if ((dataEntry & kHighBit) != 0) {
    return std::nullopt;
  }
  const std::optional<std::uint32_t> rva = Dword(tree, dataEntry);
  const std::optional<std::uint32_t> size = Dword(tree, std::uint64_t{dataEntry} + 4);
  const std::optional<std::string_view> data = rva ? sections.At(*rva) : std::nullopt;
  if (!size || !data || *size > data->size()) {
    return std::nullopt;
  }
  return data->substr(0, *size);
}

}  // namespace

std::optional<std::uint16_t> PeMachine(std::string_view bytes) {
  const std::optional<std::uint64_t> fileHeader = FileHeaderAt(bytes);
  return fileHeader ? Word(bytes, *fileHeader) : std::nullopt;
}

std::wstring MachineName(std::uint16_t machine) {
  switch (machine) {
    case kMachineI386:
      return L"32-bit (x86)";
    case kMachineAmd64:
      return L"64-bit (x64)";
    case kMachineArm64:
      return L"64-bit (ARM64)";
    case kMachineArmNt:
      return L"32-bit (ARM)";
    default:
      return L"machine 0x" + HexText(machine, 4);
  }
}

bool IsMachine32Bit(std::uint16_t machine) {
  return machine == kMachineI386 || machine == kMachineArmNt;
}

std::optional<std::array<std::uint16_t, 4>> PeFileVersion(std::string_view bytes) {
  const std::optional<std::string_view> resource = VersionResource(bytes);
  return resource ? VersionInfoFileVersion(*resource) : std::nullopt;
}

std::optional<std::array<std::uint16_t, 4>> VersionInfoFileVersion(std::string_view versionInfo) {
  // VS_VERSIONINFO: wLength, wValueLength, wType, then its key in UTF-16 with its terminator.
  constexpr std::string_view kKey = "VS_VERSION_INFO";
  constexpr std::size_t kKeyAt = 6;
  const std::size_t keyEnd = kKeyAt + 2 * (kKey.size() + 1);
  if (versionInfo.size() < keyEnd) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i <= kKey.size(); ++i) {
    const wchar_t expected = i < kKey.size() ? static_cast<wchar_t>(kKey[i]) : L'\0';
    if (Word(versionInfo, kKeyAt + 2 * i) != static_cast<std::uint16_t>(expected)) {
      return std::nullopt;
    }
  }
  // The fixed info begins on the next 32-bit boundary; the signature finds it past any padding.
  for (std::size_t at = (keyEnd + 3) & ~std::size_t{3};
       Within(versionInfo.size(), at, kFixedFileInfoSize); at += 4) {
    if (Dword(versionInfo, at) != kFixedFileInfoSignature) {
      continue;
    }
    const std::uint32_t high = *Dword(versionInfo, at + 8);
    const std::uint32_t low = *Dword(versionInfo, at + 12);
    return std::array<std::uint16_t, 4>{
        static_cast<std::uint16_t>(high >> 16), static_cast<std::uint16_t>(high & 0xFFFF),
        static_cast<std::uint16_t>(low >> 16), static_cast<std::uint16_t>(low & 0xFFFF)};
  }
  return std::nullopt;
}

}  // namespace tq
