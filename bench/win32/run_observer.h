#pragma once

// Starts one program of the benchmark and watches it from outside until it
// ends: when its window becomes visible and goes, when its child (the
// stand-in java.exe) is created, when it exits, and how much memory and how
// many handles it holds meanwhile.

#include <cstddef>
#include <string>

#include "platform/win32/windows_api.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/stand_in_records.h"

namespace tq::bench {

// Moments, in milliseconds:
//   start      the process's creation time, as the system keeps it;
//   visible    the first moment a top-level window of the process is seen
//              visible: the system reports each window the process creates
//              as it creates it, and from then on the driver asks whether
//              it is visible every millisecond;
//   tick       the first moment that window is seen hidden or destroyed
//              (asked every millisecond): both programs close their window
//              first thing on the timer's tick, so this is the tick as seen
//              from outside;
//   child      the creation time of the process it started;
//   exit       the process's exit time, as the system keeps it.
// Seen moments lag the event by up to about a millisecond; the system's
// times are exact. Until the process creates its first window the driver
// asks nothing of it (or of Wine's server) but for the sparse samples below.
struct RunObservation {
  double startToVisible = 0;
  double tickToChild = 0;
  double childToExit = 0;
  double startToChild = 0;
  double startToExit = 0;
  // Read every 50 ms until the window shows, every 10 ms after.
  std::size_t peakWorkingSet = 0;  // bytes, the largest PeakWorkingSetSize read
  unsigned long peakHandles = 0;   // the largest handle count read
  unsigned long exitCode = 0;
};

struct RunRequest {
  std::wstring program;
  std::wstring arguments;
  std::wstring workingDirectory;
  e2e::EnvironmentOverrides environment;
  // The program its child must be; anything else makes the run invalid.
  std::wstring expectedChild;
};

// Throws std::runtime_error when the run does not go as both programs
// should: no window, no child, the wrong child, no end within a minute.
RunObservation ObserveRun(const RunRequest& request, e2e::StandInRecords& records);

}  // namespace tq::bench
