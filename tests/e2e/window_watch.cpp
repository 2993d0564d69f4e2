#include "tests/e2e/window_watch.h"

#include <algorithm>

namespace tq::e2e {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr UINT kAnswerTimeoutMilliseconds = 5000;

struct WindowSearch {
  DWORD pid = 0;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectVisibleWindowOfProcess(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && IsWindowVisible(window)) {
    search->found.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter) {
  reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
  return TRUE;
}

// The text a control answers to WM_GETTEXT (GetWindowTextW gives nothing
// for another process's windows without a caption).
std::wstring ControlText(HWND control) {
  wchar_t text[1024] = {};
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, kAnswerTimeoutMilliseconds, &length) == 0) {
    return {};
  }
  return {text, static_cast<std::size_t>(length)};
}

bool IsClass(HWND window, const wchar_t* name) {
  const std::wstring actual = ClassOf(window);
  return CompareStringOrdinal(actual.c_str(), static_cast<int>(actual.size()), name, -1, TRUE) ==
         CSTR_EQUAL;
}

bool IsPushButton(HWND window) {
  if (!IsClass(window, L"Button")) {
    return false;
  }
  const LONG kind = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
  return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
}

// The box's icon control: a static control of the icon kind. Windows gives
// it the id 0x14, Wine 8 the id 0x440; the style is the same on both.
bool IsIconControl(HWND window) {
  return IsClass(window, L"Static") && (GetWindowLongW(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

}  // namespace

std::wstring ClassOf(HWND window) {
  wchar_t name[256];
  const int length = GetClassNameW(window, name, 256);
  return {name, static_cast<std::size_t>(length > 0 ? length : 0)};
}

std::wstring CaptionOf(HWND window) {
  wchar_t text[1024];
  const int length = GetWindowTextW(window, text, 1024);
  return {text, static_cast<std::size_t>(length > 0 ? length : 0)};
}

std::vector<HWND> VisibleWindows(DWORD pid) {
  WindowSearch search{pid, {}};
  EnumWindows(&CollectVisibleWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindVisibleWindow(DWORD pid, const wchar_t* className) {
  for (HWND window : VisibleWindows(pid)) {
    if (ClassOf(window) == className) {
      return window;
    }
  }
  return nullptr;
}

HWND WaitForVisibleWindow(DWORD pid, const wchar_t* className, unsigned timeoutMilliseconds) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindVisibleWindow(pid, className)) != nullptr; },
            timeoutMilliseconds);
  return found;
}

HWND NextMessageBox(DWORD pid, HWND previous) {
  for (HWND window : VisibleWindows(pid)) {
    if (window != previous && ClassOf(window) == kMessageBoxClass) {
      return window;
    }
  }
  return nullptr;
}

MessageBoxView ReadMessageBox(HWND box) {
  MessageBoxView view;
  view.title = CaptionOf(box);

  // The text control answers WM_GETTEXT from the box's own thread, so this
  // works across processes and gives the text as it was passed, CR LF and all.
  wchar_t text[4096];
  const UINT length = GetDlgItemTextW(box, kMessageBoxTextId, text, 4096);
  view.text.assign(text, length);

  std::vector<HWND> children;
  EnumChildWindows(box, &CollectChild, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    if (IsWindowVisible(child) && IsPushButton(child)) {
      view.buttons.push_back({GetDlgCtrlID(child), ControlText(child)});
    }
    if (IsIconControl(child)) {
      DWORD_PTR shown = 0;
      SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMilliseconds,
                          &shown);
      view.hasIcon = view.hasIcon || shown != 0;
    }
  }

  return view;
}

std::vector<std::wstring> WindowClassesShownUntilExit(WatchedProcess& process,
                                                      unsigned timeoutMilliseconds) {
  std::vector<std::wstring> classes;
  WaitUntil(
      [&] {
        for (HWND window : VisibleWindows(process.pid())) {
          const std::wstring name = ClassOf(window);
          // A window destroyed since it was listed (the splash as it
          // closes) has no class left to read, and was no new window.
          if (name.empty() && !IsWindow(window)) {
            continue;
          }
          if (std::find(classes.begin(), classes.end(), name) == classes.end()) {
            classes.push_back(name);
          }
        }
        return !process.Running();
      },
      timeoutMilliseconds, 20);
  return classes;
}

bool PressButton(HWND box, int buttonId) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0, SMTO_ABORTIFHUNG,
                             kAnswerTimeoutMilliseconds, &result) != 0;
}

}  // namespace tq::e2e
