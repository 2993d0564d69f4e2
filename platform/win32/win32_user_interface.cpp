#include "platform/win32/win32_user_interface.h"

#include "platform/win32/splash_form.h"
#include "platform/win32/windows_api.h"

namespace tq {

void Win32UserInterface::CloseSplash() { splash_.Close(); }

void Win32UserInterface::ShowMessage(const std::wstring& text) {
  // No owner: the splash is gone by the time any message is shown. The box
  // comes to the front, since no window of ours is active any more.
  MessageBoxW(nullptr, text.c_str(), kProductTitle, MB_OK | MB_SETFOREGROUND);
}

void Win32UserInterface::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

void Win32UserInterface::EndProcess(unsigned code) { ExitProcess(code); }

}  // namespace tq
