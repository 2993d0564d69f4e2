#pragma once

#include "interfaces/system_information.h"

namespace tq {

class Win32SystemInformation final : public SystemInformation {
 public:
  LocalTime Now() override;
  std::uint64_t MillisecondsSinceStart() override;
  unsigned long ProcessId() override;
  std::wstring LauncherVersion() override;
  std::wstring WindowsVersion() override;
  bool Is64BitWindows() override;
};

}  // namespace tq
