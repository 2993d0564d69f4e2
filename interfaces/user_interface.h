#pragma once

#include <string>

namespace tq {

// The user-facing services of the launcher: its splash window, its modal
// message boxes, the wait and the end of the process.
class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // Removes the splash window (and with it its timer) from the screen.
  virtual void CloseSplash() = 0;

  // A modal box titled "Tovane Quillon" with the text, an OK button and no
  // icon; returns when the user has pressed OK.
  virtual void ShowMessage(const std::wstring& text) = 0;

  virtual void Sleep(unsigned milliseconds) = 0;

  // Ends the process at once with the exit code; no further launcher code
  // runs.
  [[noreturn]] virtual void EndProcess(unsigned exitCode) = 0;
};

}  // namespace tq
