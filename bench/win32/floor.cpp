// The floor of the start-up benchmark: the least a Win32 program of the
// launcher's shape can do. It shows one window, sets one 2000 ms timer, and
// on the tick destroys the window, starts the command line it was given
// with its window hidden, waits 10 s and ends. Whatever the launcher takes
// beyond this program is the launcher's own cost.
//
//   floor.exe COMMAND LINE TO START

#include "platform/win32/unique_any.h"
#include "platform/win32/windows_api.h"

namespace {

constexpr wchar_t kClassName[] = L"BenchFloor";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerMilliseconds = 2000;
constexpr DWORD kWaitAfterStartMilliseconds = 10000;

// The client area of the launcher's splash at 96 dpi, so both programs
// create and show a window of the same size.
constexpr int kClientWidth = 496;
constexpr int kClientHeight = 444;

// What follows the program's own name on the command line.
wchar_t* ArgumentsOf(wchar_t* commandLine) {
  wchar_t* rest = commandLine;
  const bool quoted = *rest == L'"';
  if (quoted) {
    ++rest;
  }
  while (*rest != L'\0' && (quoted ? *rest != L'"' : (*rest != L' ' && *rest != L'\t'))) {
    ++rest;
  }
  if (quoted && *rest == L'"') {
    ++rest;
  }
  while (*rest == L' ' || *rest == L'\t') {
    ++rest;
  }
  return rest;
}

void StartHidden(wchar_t* commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION created{};
  if (CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &created)) {
    // Not waited for: only the handles go.
    const tq::UniqueHandle process(created.hProcess);
    const tq::UniqueHandle thread(created.hThread);
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kTimerId) {
        DestroyWindow(window);
        StartHidden(ArgumentsOf(GetCommandLineW()));
        Sleep(kWaitAfterStartMilliseconds);
        ExitProcess(0);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (RegisterClassExW(&windowClass) == 0) {
    return 1;
  }
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  HWND window = CreateWindowExW(0, kClassName, L"Floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                nullptr, nullptr, instance, nullptr);
  if (window == nullptr || SetTimer(window, kTimerId, kTimerMilliseconds, nullptr) == 0) {
    return 1;
  }
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
