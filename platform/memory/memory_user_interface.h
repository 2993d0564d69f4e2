#pragma once

#include <string>
#include <vector>

#include "interfaces/user_interface.h"
#include "platform/memory/journal.h"

namespace tq {

// Thrown by MemoryUserInterface::EndProcess in place of the end of the
// process. Not a tq::Error, so no handler of the launcher takes it.
struct ProcessEnded {};

// A user interface that records what it is asked to show. Every message box
// is answered with OK at once.
class MemoryUserInterface final : public UserInterface {
 public:
  explicit MemoryUserInterface(Journal& journal) : journal_(journal) {}

  void CloseSplash() override;
  void ShowMessage(const std::wstring& text) override;
  void Sleep(unsigned milliseconds) override;
  [[noreturn]] void EndProcess(unsigned code) override;
  unsigned exitCode = 0;

  std::vector<std::wstring> messages;
  bool splashClosed = false;
  bool ended = false;

 private:
  Journal& journal_;
};

}  // namespace tq
