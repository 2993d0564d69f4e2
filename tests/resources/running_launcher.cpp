#include "tests/resources/running_launcher.h"

#include <thread>

namespace tq::splash_face {
namespace {

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK TakeSplashWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t caption[64] = {};
  GetWindowTextW(window, caption, 64);
  if (pid == search->pid && IsWindowVisible(window) && std::wstring(caption) == L"Tovane Quillon") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

RunningLauncher::RunningLauncher(const std::wstring& path) {
  std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  std::wstring commandLine = L"\"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION created{};
  if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.c_str(), &startup, &created)) {
    process_.reset(created.hProcess);
    const UniqueHandle thread(created.hThread);
    pid_ = created.dwProcessId;
  }
}

RunningLauncher::~RunningLauncher() {
  if (process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), 5000);
  }
}

HWND RunningLauncher::WaitForSplash(std::chrono::milliseconds timeout) const {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    WindowSearch search{pid_, nullptr};
    EnumWindows(&TakeSplashWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) {
      return search.found;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return nullptr;
}

std::optional<DWORD> RunningLauncher::WaitForExit(DWORD milliseconds) const {
  if (WaitForSingleObject(process_.get(), milliseconds) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

}  // namespace tq::splash_face
