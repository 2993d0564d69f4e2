#pragma once

#include <string>
#include <string_view>

namespace tq {

class LauncherFiles;
class SystemInformation;

// The launcher's account of what it decided and why, one line a step, for
// the people who deploy it: written only when asked for (--log, or the
// settings file's [Log] File), appended to a UTF-8 text file that Notepad
// reads on every Windows. A log that cannot be opened or written is
// dropped: it never stops or changes the launch.
class DecisionLog {
 public:
  // A log that is never written.
  DecisionLog() = default;
  DecisionLog(LauncherFiles& files, SystemInformation& system) : files_(&files), system_(&system) {}

  // Opens the file at path, appending to what it holds. Only the first
  // call opens; a log that fails to open stays off.
  void Open(const std::wstring& path);

  [[nodiscard]] bool IsOn() const noexcept { return on_; }
  // Whether a log was asked for and opened, even if writing to it has failed
  // since: what the launch does for its log does not depend on the disk.
  [[nodiscard]] bool WasOpened() const noexcept { return opened_; }

  // Writes one line, stamped with the local time, the milliseconds since
  // the launcher started and its process id. Does nothing when the log is
  // off; a write that fails turns it off.
  void Write(std::wstring_view text);

  // The stamp of a line: "2026-12-09 14:03:07.250 +1234 ms [4321] ".
  static std::wstring Stamp(int year, int month, int day, int hour, int minute, int second,
                            int millisecond, unsigned long long sinceStart, unsigned long pid);

 private:
  LauncherFiles* files_ = nullptr;
  SystemInformation* system_ = nullptr;
  bool tried_ = false;
  bool on_ = false;
  bool opened_ = false;
};

}  // namespace tq
