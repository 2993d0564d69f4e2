#pragma once

// Which platform calls of the in-memory doubles fail, and how. The doubles of
// one machine share one plan: it counts their calls per operation and gives
// each call the fault planned for it, so a test (or the whole-run sweep) names
// a failure the same way whatever double answers the call.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"

namespace tq {

// Every platform operation the launcher calls through its interfaces; the
// last is kFinalPath.
enum class Operation {
  kOpenKey,
  kEnumKey,
  kQueryValue,
  kCloseKey,
  kCreateFileSystem,
  kFileExists,
  kCopyFile,
  kLauncherFolder,
  kWorkingDirectory,
  kChangeWorkingDirectory,
  kStartHidden,
  kToDouble,
  kLauncherProgram,
  kExpandEnvironment,
  kWaitForStartedProgram,
  kReadFile,
  kTemporaryFolder,
  kOpenLog,
  kAppendLog,
  kClaimGuard,
  kSubfolders,
  kReadBytes,
  kFinalPath,
};
inline constexpr std::size_t kOperationCount = static_cast<std::size_t>(Operation::kFinalPath) + 1;
inline constexpr auto kAllOperations = [] {
  std::array<Operation, kOperationCount> all{};
  for (std::size_t i = 0; i < kOperationCount; ++i) {
    all[i] = static_cast<Operation>(i);
  }
  return all;
}();

// The name the platform gives the operation ("RegOpenKeyExA", "CopyFile").
std::string_view OperationName(Operation operation);

// Registry operations fail by answering a result code; the others raise.
bool IsRegistryOperation(Operation operation);

// How often each operation was called.
class CallCounts {
 public:
  std::size_t& operator[](Operation operation) {
    return counts_[static_cast<std::size_t>(operation)];
  }
  std::size_t operator[](Operation operation) const {
    return counts_[static_cast<std::size_t>(operation)];
  }

 private:
  std::array<std::size_t, kOperationCount> counts_{};
};

// A Fault's callNumber that makes every call of its operation fail.
inline constexpr std::size_t kEveryCall = 0;

struct Fault {
  Operation operation;
  // Counted from 1 per operation, or kEveryCall.
  std::size_t callNumber;
  // A registry operation answers with the code as its result; any other
  // raises tq::Error(code, description).
  std::int32_t code;
  std::wstring description{};
};

class FaultPlan {
 public:
  void Add(Fault fault);
  // The call of a registry operation answers with the code.
  void FailCall(Operation operation, std::size_t callNumber, std::int32_t code);
  // The call of any other operation raises the error.
  void FailCall(Operation operation, std::size_t callNumber, const Error& error);

  // What a double does as a call begins: counts it, and gives the fault
  // planned for it (the first added that matches), or nullptr.
  const Fault* CountCall(Operation operation);
  // The same for an operation that fails by raising: raises the planned
  // fault's error.
  void CountCallAndRaise(Operation operation);

  [[nodiscard]] std::size_t Calls(Operation operation) const { return calls_[operation]; }
  [[nodiscard]] const CallCounts& Calls() const noexcept { return calls_; }

 private:
  std::vector<Fault> faults_;
  CallCounts calls_;
};

}  // namespace tq
