#pragma once

#include "interfaces/system_information.h"

namespace tq {

// A clock that stands still but for the milliseconds since the start, which
// advance by one each time they are read, and a machine that never changes.
class MemorySystemInformation final : public SystemInformation {
 public:
  LocalTime Now() override { return now; }
  std::uint64_t MillisecondsSinceStart() override { return sinceStart++; }
  unsigned long ProcessId() override { return 1234; }
  std::wstring LauncherVersion() override { return L"version 1.0.0.0"; }
  std::wstring WindowsVersion() override { return L"Windows 5.1.2600 Service Pack 3"; }
  bool Is64BitWindows() override { return windows64Bit; }

  LocalTime now{2026, 12, 9, 14, 3, 7, 250};
  std::uint64_t sinceStart = 40;
  bool windows64Bit = false;
};

}  // namespace tq
