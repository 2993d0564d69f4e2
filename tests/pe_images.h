#pragma once

// The bytes of minimal PE images, for tests that read a runtime's java.exe without running it: a
// DOS header, the PE signature, the file header, a PE32 or PE32+ optional header with its sixteen
// data directories and, when a file version is asked for, one .rsrc section that holds a version
// resource (RT_VERSION, name 1, language 0x409) whose VS_FIXEDFILEINFO ends the file. The images
// are for reading only; Windows would not start them. Host, Windows and end-to-end tests share it:
// it needs nothing but the standard library.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tq::pe_images {

using FileVersion = std::array<std::uint16_t, 4>;

inline constexpr std::uint32_t kPeHeaderAt = 0x40;  // e_lfanew
inline constexpr std::uint32_t kOptionalHeaderAt = kPeHeaderAt + 4 + 20;
inline constexpr std::uint32_t kResourceAt = 0x200;  // the .rsrc section's raw data
inline constexpr std::uint32_t kResourceRva = 0x1000;
inline constexpr std::uint32_t kVersionInfoAt = kResourceAt + 88;  // VS_VERSIONINFO

// Where the optional header's resource directory (data directory 2: RVA, size) lies.
constexpr std::uint32_t ResourceDirectoryAt(bool pe32Plus) {
  return kOptionalHeaderAt + (pe32Plus ? 112 : 96) + 2 * 8;
}

inline void PutWord(std::string& bytes, std::size_t at, std::uint32_t value) {
  if (bytes.size() < at + 2) {
    bytes.resize(at + 2, '\0');
  }
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

inline void PutDword(std::string& bytes, std::size_t at, std::uint32_t value) {
  PutWord(bytes, at, value & 0xFFFF);
  PutWord(bytes, at + 2, value >> 16);
}

// The resource section: three directory levels of one entry each, the data entry, and
// VS_VERSIONINFO with its key, padding and fixed info (no string or variable file info).
inline std::string VersionResourceSection(const FileVersion& version) {
  std::string section;
  std::uint32_t at = 0;
  for (const std::uint32_t id : {16U, 1U, 0x409U}) {
    PutWord(section, at + 14, 1);  // one entry with an ID
    PutDword(section, at + 16, id);
    const std::uint32_t next = at + 24;
    PutDword(section, at + 20, id == 0x409U ? next : (next | 0x80000000U));
    at = next;
  }
  const std::uint32_t info = kVersionInfoAt - kResourceAt;
  constexpr std::uint32_t kInfoSize = 6 + 32 + 2 + 52;
  PutDword(section, at, kResourceRva + info);
  PutDword(section, at + 4, kInfoSize);
  PutWord(section, info, kInfoSize);
  PutWord(section, info + 2, 52);
  const std::string key = "VS_VERSION_INFO";
  for (std::size_t i = 0; i < key.size(); ++i) {
    PutWord(section, info + 6 + 2 * i, static_cast<unsigned char>(key[i]));
  }
  const std::uint32_t fixed = info + 6 + 32 + 2;
  PutDword(section, fixed, 0xFEEF04BD);
  PutDword(section, fixed + 4, 0x00010000);
  PutDword(section, fixed + 8, (std::uint32_t{version[0]} << 16) | version[1]);
  PutDword(section, fixed + 12, (std::uint32_t{version[2]} << 16) | version[3]);
  PutDword(section, fixed + 16, (std::uint32_t{version[0]} << 16) | version[1]);
  PutDword(section, fixed + 20, (std::uint32_t{version[2]} << 16) | version[3]);
  PutDword(section, fixed + 48, 0);  // the last field, dwFileDateLS: the info is whole
  return section;
}

inline std::string PeImageOfKind(std::uint16_t machine, bool pe32Plus,
                                 std::optional<FileVersion> fileVersion = {}) {
  std::string image = "MZ";
  PutDword(image, 0x3C, kPeHeaderAt);
  image += std::string("PE\0\0", 4);
  const std::uint32_t optionalSize = pe32Plus ? 240 : 224;
  const std::uint32_t sections = fileVersion ? 1 : 0;
  PutWord(image, kPeHeaderAt + 4, machine);
  PutWord(image, kPeHeaderAt + 6, sections);
  PutWord(image, kPeHeaderAt + 20, optionalSize);
  PutWord(image, kPeHeaderAt + 22, 0x0102);  // an executable for 32-bit words or wider
  const std::uint32_t o = kOptionalHeaderAt;
  PutWord(image, o, pe32Plus ? 0x20B : 0x10B);
  PutDword(image, o + 32, 0x1000);  // SectionAlignment
  PutDword(image, o + 36, 0x200);   // FileAlignment
  PutWord(image, o + 40, 5);        // MajorOperatingSystemVersion: Windows XP is 5.1
  PutWord(image, o + 42, 1);
  PutWord(image, o + 48, 5);  // MajorSubsystemVersion
  PutWord(image, o + 50, 1);
  PutDword(image, o + 56, 0x2000);  // SizeOfImage
  PutDword(image, o + 60, kResourceAt);
  PutWord(image, o + 68, 3);  // the console subsystem, as java.exe's
  PutDword(image, o + (pe32Plus ? 108 : 92), 16);
  image.resize(o + optionalSize, '\0');
  if (!fileVersion) {
    return image;
  }
  const std::string resource = VersionResourceSection(*fileVersion);
  const std::size_t sectionAt = image.size();
  image += std::string(".rsrc\0\0\0", 8);
  PutDword(image, sectionAt + 8, static_cast<std::uint32_t>(resource.size()));   // VirtualSize
  PutDword(image, sectionAt + 12, kResourceRva);                                 // VirtualAddress
  PutDword(image, sectionAt + 16, static_cast<std::uint32_t>(resource.size()));  // SizeOfRawData
  PutDword(image, sectionAt + 20, kResourceAt);                                  // PointerToRawData
  PutDword(image, sectionAt + 36, 0x40000040);  // initialised data, readable
  PutDword(image, ResourceDirectoryAt(pe32Plus), kResourceRva);
  PutDword(image, ResourceDirectoryAt(pe32Plus) + 4, static_cast<std::uint32_t>(resource.size()));
  image.resize(kResourceAt, '\0');
  return image + resource;
}

// A PE32+ image for a 64-bit machine (x64, ARM64), a PE32 image for any other.
inline std::string PeImage(std::uint16_t machine, std::optional<FileVersion> fileVersion = {}) {
  return PeImageOfKind(machine, machine == 0x8664 || machine == 0xAA64, fileVersion);
}

}  // namespace tq::pe_images
