#pragma once

// When another process creates, shows, hides or destroys a window, as it
// happens: the system reports each such event to a hook that runs in this
// thread (out of context: nothing runs in the watched process, and nothing
// polls it meanwhile), and the hook hands it on through this thread's
// message queue. Each event is stamped when this thread takes it.
//
// Wine 8 reports the creation of windows only, not their showing, hiding
// or destruction; a watcher learns of those by asking about the windows
// it was told of.

#include <vector>

#include "bench/win32/precise_clock.h"
#include "platform/win32/unique_any.h"
#include "platform/win32/windows_api.h"

namespace tq::bench {

class WindowEvents {
 public:
  enum class Kind { kCreated, kShown, kGone };
  struct Event {
    Kind kind;
    HWND window;
    Instant at;
  };

  // Watches the windows of process `pid`. Install it before the process
  // shows anything.
  explicit WindowEvents(DWORD pid);

  // The events that came, after waiting up to `timeoutMilliseconds` for the
  // first one or for `process` to end.
  std::vector<Event> Wait(HANDLE process, DWORD timeoutMilliseconds);

 private:
  UniqueWinEventHook hook_;
};

}  // namespace tq::bench
