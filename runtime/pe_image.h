#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tq {

// What a runtime's java.exe is, read from its bytes alone without running it: every offset is
// checked against the bytes given, and no size in the image is trusted.

inline constexpr std::uint16_t kMachineI386 = 0x014C, kMachineAmd64 = 0x8664,
                               kMachineArm64 = 0xAA64, kMachineArmNt = 0x01C4;

// The machine field of a PE image's file header (MZ, e_lfanew at 0x3C, "PE\0\0"); nothing when the
// bytes are not a PE image.
std::optional<std::uint16_t> PeMachine(std::string_view bytes);

// "32-bit (x86)", "64-bit (x64)", "64-bit (ARM64)", "32-bit (ARM)", else "machine 0x1234" (hex, 4
// digits).
std::wstring MachineName(std::uint16_t machine);

// Whether a runtime of that machine is 32-bit (for the serial-port DLL): true for x86 and ARM.
bool IsMachine32Bit(std::uint16_t machine);

// The four words of VS_FIXEDFILEINFO's file version in a version resource's bytes (its
// VS_VERSIONINFO, as LockResource gives it): after the key "VS_VERSION_INFO", the fixed info
// found by its 0xFEEF04BD signature. Nothing when either is missing.
std::optional<std::array<std::uint16_t, 4>> VersionInfoFileVersion(std::string_view versionInfo);

// The same from an image's version resource (RT_VERSION = 16, first name, first language), for
// PE32 and PE32+ optional headers, the resource directory's RVA mapped to the file through the
// section table. Nothing when any part is missing or out of bounds.
std::optional<std::array<std::uint16_t, 4>> PeFileVersion(std::string_view bytes);

}  // namespace tq
