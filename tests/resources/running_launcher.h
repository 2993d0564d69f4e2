#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/win32/unique_any.h"
#include "platform/win32/windows_api.h"

namespace tq::splash_face {

// The launcher started from its own folder, never left behind: whatever a
// test finds, the process is ended when the test is over.
class RunningLauncher {
 public:
  explicit RunningLauncher(const std::wstring& path);
  RunningLauncher(const RunningLauncher&) = delete;
  RunningLauncher& operator=(const RunningLauncher&) = delete;
  ~RunningLauncher();

  [[nodiscard]] bool started() const { return process_.valid(); }

  // Its visible window captioned as the product, or null after `timeout`.
  [[nodiscard]] HWND WaitForSplash(std::chrono::milliseconds timeout) const;

  // Its exit code, or nothing while it still runs after `milliseconds`.
  [[nodiscard]] std::optional<DWORD> WaitForExit(DWORD milliseconds) const;

 private:
  UniqueHandle process_;
  DWORD pid_ = 0;
};

}  // namespace tq::splash_face
