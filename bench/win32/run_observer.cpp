#include "bench/win32/run_observer.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "bench/win32/handle_count.h"
#include "bench/win32/precise_clock.h"
#include "platform/win32/unique_handle.h"
#include "tests/e2e/window_watch.h"

// Needs the Windows types first.
#include <psapi.h>

namespace tq::bench {
namespace {

constexpr Instant kGiveUpAfter = 60'000 * kPerMillisecond;
constexpr Instant kSampleEvery = 10 * kPerMillisecond;
constexpr Instant kLookForChildEvery = 10 * kPerMillisecond;
// How long each wait between polls lasts while a moment is still to be
// caught, and once only the end is.
constexpr DWORD kFinePollMilliseconds = 1;
constexpr DWORD kCoarsePollMilliseconds = 10;

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
  const UniqueHandle watched(
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, process.pid()));
  if (!watched.valid()) {
    throw std::runtime_error("cannot open the started program for reading");
  }
  UsageSampler usage(watched.get(), process.pid());
  const Instant giveUpAt = PreciseNow() + kGiveUpAfter;

  HWND window = nullptr;
  std::optional<Instant> visibleAt;
  std::optional<Instant> tickAt;
  UniqueHandle child;
  Instant nextSample = 0;
  Instant nextChildLook = 0;
  for (;;) {
    const Instant now = PreciseNow();
    if (!visibleAt) {
      if (const std::vector<HWND> windows = e2e::VisibleWindows(process.pid()); !windows.empty()) {
        window = windows.front();
        visibleAt = now;
      }
    } else if (!tickAt && (!IsWindow(window) || !IsWindowVisible(window))) {
      tickAt = now;
    }
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
      nextSample = now + kSampleEvery;
      usage.Sample();
    }
    const DWORD poll = tickAt && child.valid() ? kCoarsePollMilliseconds : kFinePollMilliseconds;
    if (WaitForSingleObject(watched.get(), poll) == WAIT_OBJECT_0) {
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
