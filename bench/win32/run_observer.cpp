#include "bench/win32/run_observer.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <vector>

#include "bench/win32/handle_count.h"
#include "bench/win32/precise_clock.h"
#include "bench/win32/window_events.h"
#include "platform/win32/unique_any.h"

// Needs the Windows types first.
#include <psapi.h>

namespace tq::bench {
namespace {

constexpr Instant kGiveUpAfter = 60'000 * kPerMillisecond;
// The window events come as they happen; everything else is looked at
// between them, at most this often. Each look is a request to the system
// (to Wine's server, under Wine) that the watched program competes with,
// so they are kept few.
constexpr DWORD kWaitMilliseconds = 10;
constexpr DWORD kWindowPollMilliseconds = 1;
// Memory and handles are sampled sparsely until the window shows, while the
// program starts up, and often after that.
constexpr Instant kSampleEveryWhileStarting = 50 * kPerMillisecond;
constexpr Instant kSampleEvery = 10 * kPerMillisecond;
constexpr Instant kLookForChildEvery = 10 * kPerMillisecond;

struct ProcessTimes {
  Instant created = 0;
  Instant exited = 0;
};

ProcessTimes TimesOf(HANDLE process) {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
    throw std::runtime_error("GetProcessTimes failed");
  }
  return {InstantOf(created), InstantOf(exited)};
}

bool IsTopLevel(HWND window) { return GetAncestor(window, GA_PARENT) == GetDesktopWindow(); }

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The stand-in that `parentPid` started, once its record can be read.
std::optional<e2e::StandInRecord> ChildRecord(e2e::StandInRecords& records, DWORD parentPid) {
  try {
    for (e2e::StandInRecord& record : records.Read()) {
      if (record.parentPid == parentPid) {
        return std::move(record);
      }
    }
  } catch (const std::runtime_error&) {
    // A record that cannot be read at this moment is read at the next look.
  }
  return std::nullopt;
}

class UsageSampler {
 public:
  UsageSampler(HANDLE process, DWORD pid) : process_(process), pid_(pid) {}

  void Sample() {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process_, &memory, sizeof memory)) {
      peakWorkingSet_ = std::max<std::size_t>(peakWorkingSet_, memory.PeakWorkingSetSize);
    }
    peakHandles_ = std::max(peakHandles_, handles_.Count(process_, pid_));
  }

  [[nodiscard]] std::size_t peakWorkingSet() const noexcept { return peakWorkingSet_; }
  [[nodiscard]] unsigned long peakHandles() const noexcept { return peakHandles_; }

 private:
  HANDLE process_;
  DWORD pid_;
  HandleCounter handles_;
  std::size_t peakWorkingSet_ = 0;
  unsigned long peakHandles_ = 0;
};

}  // namespace

RunObservation ObserveRun(const RunRequest& request, e2e::StandInRecords& records) {
  e2e::WatchedProcess process = e2e::StartProgram(request.program, request.arguments,
                                                  request.workingDirectory, request.environment);
  WindowEvents windowEvents(process.pid());
  const UniqueHandle watched(
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, process.pid()));
  if (!watched.valid()) {
    throw std::runtime_error("cannot open the started program for reading");
  }
  UsageSampler usage(watched.get(), process.pid());
  const Instant giveUpAt = PreciseNow() + kGiveUpAfter;

  std::vector<HWND> created;  // top-level windows of the process, not yet seen shown
  HWND window = nullptr;
  std::optional<Instant> visibleAt;
  std::optional<Instant> tickAt;
  UniqueHandle child;
  Instant nextSample = 0;
  Instant nextChildLook = 0;
  for (;;) {
    // Between its creation and its end the window is asked about every
    // millisecond; before and after, the process is left alone.
    const bool askingAboutWindows = !tickAt && (!created.empty() || visibleAt);
    const DWORD wait = askingAboutWindows ? kWindowPollMilliseconds : kWaitMilliseconds;
    for (const WindowEvents::Event& event : windowEvents.Wait(watched.get(), wait)) {
      if (event.kind == WindowEvents::Kind::kCreated && IsTopLevel(event.window)) {
        created.push_back(event.window);
      } else if (event.kind == WindowEvents::Kind::kShown && !visibleAt &&
                 IsTopLevel(event.window)) {
        window = event.window;
        visibleAt = event.at;
      } else if (event.kind == WindowEvents::Kind::kGone && visibleAt && !tickAt &&
                 event.window == window) {
        tickAt = event.at;
      }
    }
    if (!visibleAt) {
      for (HWND candidate : created) {
        if (IsWindowVisible(candidate)) {
          window = candidate;
          visibleAt = PreciseNow();
          break;
        }
      }
    } else if (!tickAt && (!IsWindow(window) || !IsWindowVisible(window))) {
      tickAt = PreciseNow();
    }
    const Instant now = PreciseNow();
    if (tickAt && !child.valid() && now >= nextChildLook) {
      nextChildLook = now + kLookForChildEvery;
      if (const auto record = ChildRecord(records, process.pid())) {
        if (!SamePath(record->program, request.expectedChild)) {
          throw std::runtime_error("the program started something other than the runtime's java");
        }
        child.reset(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, record->pid));
        if (!child.valid()) {
          throw std::runtime_error("cannot open the started java");
        }
      }
    }
    if (now >= nextSample) {
      nextSample = now + (visibleAt ? kSampleEvery : kSampleEveryWhileStarting);
      usage.Sample();
    }
    if (WaitForSingleObject(watched.get(), 0) == WAIT_OBJECT_0) {
      break;
    }
    if (now > giveUpAt) {
      throw std::runtime_error("the program did not end within a minute");
    }
  }
  if (!visibleAt || !tickAt) {
    throw std::runtime_error("the program ended without showing and closing its window");
  }
  if (!child.valid()) {
    if (const auto record = ChildRecord(records, process.pid())) {
      child.reset(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, record->pid));
    }
    if (!child.valid()) {
      throw std::runtime_error("the program ended without starting java");
    }
  }

  const ProcessTimes times = TimesOf(watched.get());
  const Instant childCreated = TimesOf(child.get()).created;
  RunObservation observation;
  observation.startToVisible = Milliseconds(times.created, *visibleAt);
  observation.tickToChild = Milliseconds(*tickAt, childCreated);
  observation.childToExit = Milliseconds(childCreated, times.exited);
  observation.startToChild = Milliseconds(times.created, childCreated);
  observation.startToExit = Milliseconds(times.created, times.exited);
  observation.peakWorkingSet = usage.peakWorkingSet();
  observation.peakHandles = usage.peakHandles();
  DWORD code = 0;
  GetExitCodeProcess(watched.get(), &code);
  observation.exitCode = code;
  return observation;
}

}  // namespace tq::bench
