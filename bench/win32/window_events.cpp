#include "bench/win32/window_events.h"

#include <stdexcept>

namespace tq::bench {
namespace {

// The hook's message to its own thread: wParam the event, lParam the window.
constexpr UINT kWindowEventMessage = WM_APP + 0x51;

void CALLBACK PostWindowEvent(HWINEVENTHOOK /*hook*/, DWORD event, HWND window, LONG object,
                              LONG child, DWORD /*thread*/, DWORD /*milliseconds*/) {
  if (object == OBJID_WINDOW && child == CHILDID_SELF && window != nullptr) {
    PostThreadMessageW(GetCurrentThreadId(), kWindowEventMessage, event,
                       reinterpret_cast<LPARAM>(window));
  }
}

}  // namespace

WindowEvents::WindowEvents(DWORD pid)
    : hook_(SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_HIDE, nullptr, &PostWindowEvent, pid,
                            0, WINEVENT_OUTOFCONTEXT)) {
  if (!hook_) {
    throw std::runtime_error("cannot watch the program's windows");
  }
}

std::vector<WindowEvents::Event> WindowEvents::Wait(HANDLE process, DWORD timeoutMilliseconds) {
  MsgWaitForMultipleObjects(1, &process, FALSE, timeoutMilliseconds, QS_ALLINPUT);
  std::vector<Event> events;
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == kWindowEventMessage) {
      const Kind kind = message.wParam == EVENT_OBJECT_CREATE ? Kind::kCreated
                        : message.wParam == EVENT_OBJECT_SHOW ? Kind::kShown
                                                              : Kind::kGone;
      events.push_back({kind, reinterpret_cast<HWND>(message.lParam), PreciseNow()});
    } else {
      DispatchMessageW(&message);
    }
  }
  return events;
}

}  // namespace tq::bench
