#pragma once

// What a whole run must show, worked out from the machine and the injected
// failure alone: the launcher's rules applied call by call to the platform,
// written apart from the launcher's code, so that a fault in the one does
// not hide in the other.

#include <optional>
#include <string>
#include <vector>

#include "tests/host/whole_run.h"
#include "tests/launcher_texts.h"

namespace tq::whole_run {

struct Prediction {
  Outcome outcome;
  // The platform calls the run makes, each operation counted.
  CallCounts calls;
  // Registry handles left open: only a close made to fail leaves one.
  std::size_t openHandles = 0;
};

// The fault, if any, fails one numbered call.
Prediction Predict(const Machine& machine, const std::optional<Fault>& fault);

// Where the observed run differs from the prediction, one line each.
std::vector<std::string> Differences(const Prediction& expected, const Observation& seen);

// The top-level report of an error that nothing handled.
std::wstring ExpectedReport(int number, const std::wstring& description);

// The Java command line for a Java home (empty: the bare "java") and a
// launcher folder.
std::wstring ExpectedCommand(const std::wstring& javaHome, const std::wstring& launcherFolder);

}  // namespace tq::whole_run
