#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/memory/fault_plan.h"

namespace tq {

// The calls that the in-memory doubles received, in order, one line each
// ("StartHidden java -classpath ...", "ShowMessage Error While ..."), so a
// test can check the order across several doubles.
struct Journal {
  std::vector<std::wstring> lines;

  void Add(const std::wstring& operation, const std::wstring& argument = {}) {
    lines.push_back(argument.empty() ? operation : operation + L" " + argument);
  }

  // A platform operation's line, under the name the platform gives it.
  void Add(Operation operation, const std::wstring& argument = {}) {
    const std::string_view name = OperationName(operation);
    Add(std::wstring(name.begin(), name.end()), argument);
  }
};

// What a double does first when a platform operation is called: writes the
// call in the journal, then fails it when the plan says so.
struct CallRecorder {
  Journal& journal;
  FaultPlan& faults;

  void Enter(Operation operation, const std::wstring& argument = {}) const {
    journal.Add(operation, argument);
    faults.CountCallAndRaise(operation);
  }
};

}  // namespace tq
