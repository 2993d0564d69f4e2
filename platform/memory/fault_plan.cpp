#include "platform/memory/fault_plan.h"

#include <utility>

namespace tq {

namespace {

// In the order of Operation.
constexpr std::array<std::string_view, kOperationCount> kOperationNames = {
    "RegOpenKeyExA",
    "RegEnumKeyA",
    "RegQueryValueExA",
    "RegCloseKey",
    "CreateFileSystem",
    "FileExists",
    "CopyFile",
    "LauncherFolder",
    "WorkingDirectory",
    "ChangeWorkingDirectory",
    "StartHidden",
    "ToDouble",
    "LauncherProgram",
    "ExpandEnvironment",
    "WaitForStartedProgram",
    "ReadFile",
    "TemporaryFolder",
    "OpenLog",
    "AppendLog",
    "ClaimGuard",
    "FindFirstFileW",
    "ReadBytes",
    "GetFinalPathNameByHandleW"};

}  // namespace

std::string_view OperationName(Operation operation) {
  return kOperationNames[static_cast<std::size_t>(operation)];
}

bool IsRegistryOperation(Operation operation) {
  return operation == Operation::kOpenKey || operation == Operation::kEnumKey ||
         operation == Operation::kQueryValue || operation == Operation::kCloseKey;
}

void FaultPlan::Add(Fault fault) { faults_.push_back(std::move(fault)); }

void FaultPlan::FailCall(Operation operation, std::size_t callNumber, std::int32_t code) {
  Add({operation, callNumber, code});
}

void FaultPlan::FailCall(Operation operation, std::size_t callNumber, const Error& error) {
  Add({operation, callNumber, error.number(), error.description()});
}

const Fault* FaultPlan::CountCall(Operation operation) {
  const std::size_t number = ++calls_[operation];
  for (const Fault& fault : faults_) {
    if (fault.operation == operation &&
        (fault.callNumber == kEveryCall || fault.callNumber == number)) {
      return &fault;
    }
  }
  return nullptr;
}

void FaultPlan::CountCallAndRaise(Operation operation) {
  if (const Fault* fault = CountCall(operation)) {
    throw Error(fault->code, fault->description);
  }
}

}  // namespace tq
