#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tq {

// The files of the launcher's own: the settings file beside it and the
// decision log. Every operation but FromAnsi raises tq::Error when it fails.
class LauncherFiles {
 public:
  virtual ~LauncherFiles() = default;

  // The bytes of the file at path, at most limit + 1 of them (more than
  // limit: the file is too large); nothing when no file is there.
  virtual std::optional<std::string> ReadFile(const std::wstring& path, std::size_t limit) = 0;

  // The system's ANSI code page's bytes as text.
  virtual std::wstring FromAnsi(const std::string& bytes) = 0;

  // The user's folder for temporary files.
  virtual std::wstring TemporaryFolder() = 0;

  // Opens the log at path for appending, creating it when it is missing;
  // gives the size it had. Replaces a log opened before.
  virtual std::uint64_t OpenLog(const std::wstring& path) = 0;

  // Appends the bytes to the end of the log at once, as one write, so that
  // the lines of two launchers sharing a log do not mix.
  virtual void AppendLog(const std::string& bytes) = 0;
};

}  // namespace tq
