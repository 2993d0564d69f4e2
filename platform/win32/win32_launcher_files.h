#pragma once

#include "interfaces/launcher_files.h"
#include "platform/win32/unique_any.h"

namespace tq {

// The settings file and the decision log on the Win32 file API. Errors
// carry the system's reason (ErrorFromWin32).
class Win32LauncherFiles final : public LauncherFiles {
 public:
  std::optional<std::string> ReadFile(const std::wstring& path, std::size_t limit) override;
  std::wstring FromAnsi(const std::string& bytes) override;
  std::wstring TemporaryFolder() override;
  std::uint64_t OpenLog(const std::wstring& path) override;
  void AppendLog(const std::string& bytes) override;

 private:
  UniqueHandle log_;
};

}  // namespace tq
