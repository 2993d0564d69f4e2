#pragma once

#include <cstdint>
#include <string>

namespace tq {

struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// What the decision log says of the moment and the machine. Nothing here
// can fail.
class SystemInformation {
 public:
  virtual ~SystemInformation() = default;

  virtual LocalTime Now() = 0;
  // Since the launcher's process was created.
  virtual std::uint64_t MillisecondsSinceStart() = 0;
  virtual unsigned long ProcessId() = 0;
  // The launcher's file version, from its version resource.
  virtual std::wstring LauncherVersion() = 0;
  // The system's version and the build of the launcher running on it:
  // "Windows 5.1.2600 Service Pack 3; 32-bit launcher".
  virtual std::wstring WindowsVersion() = 0;
  // True when Windows itself is 64-bit (x64 or ARM64), whatever the build
  // of the launcher running on it.
  virtual bool Is64BitWindows() = 0;
};

}  // namespace tq
