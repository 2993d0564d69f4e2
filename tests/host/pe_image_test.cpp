#include "runtime/pe_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "tests/pe_images.h"

namespace tq {
namespace {

using pe_images::FileVersion;
using pe_images::PeImage;
using pe_images::PeImageOfKind;
using pe_images::PutDword;

std::string Changed(std::string image, std::uint32_t at, std::uint32_t value) {
  PutDword(image, at, value);
  return image;
}

TEST(PeImageTest, ReadsTheMachineAndTheFileVersionOfWholeImagesOnly) {
  constexpr FileVersion kVersion{17, 0, 9, 3};
  constexpr FileVersion kJava8{8, 0, 3920, 8};
  const std::string x64 = PeImage(kMachineAmd64, kVersion);
  const std::uint32_t sections = pe_images::kOptionalHeaderAt + 240;
  const std::uint32_t resources = pe_images::ResourceDirectoryAt(true);
  const struct {
    const char* name;
    std::string bytes;
    std::optional<std::uint16_t> machine;
    std::optional<FileVersion> version;  // {}: none
  } cases[] = {
      {"x86", PeImage(kMachineI386), kMachineI386, {}},
      {"ARM64 PE32+", PeImage(kMachineArm64, kVersion), kMachineArm64, kVersion},
      {"x86 PE32", PeImage(kMachineI386, kJava8), kMachineI386, kJava8},
      {"x64 PE32+", x64, kMachineAmd64, kVersion},
      {"x64 PE32", PeImageOfKind(kMachineAmd64, false, kVersion), kMachineAmd64, kVersion},
      {"not MZ", "ZM" + x64.substr(2), {}, {}},
      {"e_lfanew beyond the file", Changed(x64, 0x3C, 0xFFFFFFFC), {}, {}},
      {"e_lfanew at the end", Changed(x64, 0x3C, x64.size() - 4), {}, {}},
      {"no PE signature", Changed(x64, pe_images::kPeHeaderAt, 0x01004550), {}, {}},
      {"resource RVA in no section", Changed(x64, resources, 0x5000), kMachineAmd64, {}},
      {"section beyond the file", Changed(x64, sections + 16, 0xFFFFFF00), kMachineAmd64, {}},
      {"section data beyond the file", Changed(x64, sections + 20, 0xFFFFFF00), kMachineAmd64, {}},
      {"no key", Changed(x64, pe_images::kVersionInfoAt + 6, 0), kMachineAmd64, {}},
      {"no signature", Changed(x64, pe_images::kVersionInfoAt + 40, 0), kMachineAmd64, {}}};
  for (const auto& c : cases) {
    EXPECT_EQ(PeMachine(c.bytes), c.machine) << c.name;
    EXPECT_EQ(PeFileVersion(c.bytes), c.version) << c.name;
  }
  // The fixed info ends the image: every shorter prefix lacks part of what is read.
  for (std::size_t size = 0; size < x64.size(); ++size) {
    const std::string prefix = x64.substr(0, size);
    EXPECT_EQ(PeMachine(prefix).has_value(), size >= pe_images::kOptionalHeaderAt) << size;
    EXPECT_EQ(PeFileVersion(prefix), std::nullopt) << size;
  }
}

TEST(PeImageTest, NamesMachinesAndTheir32BitNeed) {
  const struct {
    std::uint16_t machine;
    const wchar_t* name;
    bool is32Bit;
  } cases[] = {{kMachineI386, L"32-bit (x86)", true},     {kMachineAmd64, L"64-bit (x64)", false},
               {kMachineArm64, L"64-bit (ARM64)", false}, {kMachineArmNt, L"32-bit (ARM)", true},
               {0x01C0, L"machine 0x01c0", false},        {0x0200, L"machine 0x0200", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(MachineName(c.machine), c.name);
    EXPECT_EQ(IsMachine32Bit(c.machine), c.is32Bit) << c.name;
  }
}

}  // namespace
}  // namespace tq
