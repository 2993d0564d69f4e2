#include "platform/memory/memory_user_interface.h"

namespace tq {

void MemoryUserInterface::CloseSplash() {
  journal_.Add(L"CloseSplash");
  splashClosed = true;
}

void MemoryUserInterface::ShowMessage(const std::wstring& text) {
  journal_.Add(L"ShowMessage", text);
  messages.push_back(text);
}

void MemoryUserInterface::Sleep(unsigned milliseconds) {
  journal_.Add(L"Sleep", std::to_wstring(milliseconds));
}

void MemoryUserInterface::EndProcess(unsigned code) {
  journal_.Add(L"EndProcess", std::to_wstring(code));
  ended = true;
  exitCode = code;
  throw ProcessEnded{};
}

}  // namespace tq
