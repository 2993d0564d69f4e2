#pragma once

// The parts of the machine that the prediction (run_oracle.cpp) reads, each
// written from the machine's description and the rules of the platform
// alone: the calls and the one made to fail, the registry as discovery reads
// it, the files as the support installation finds and copies them.

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/memory/fault_plan.h"
#include "tests/host/whole_run.h"

namespace tq::whole_run {

// An error a step of the run raises.
struct Failure {
  int number;
  std::wstring description;
};

class PredictedCalls {
 public:
  explicit PredictedCalls(const std::optional<Fault>& fault) : fault_(fault) {}

  // Counts a call of the operation; true when it is the one made to fail.
  bool Fails(Operation operation) {
    const std::size_t number = ++counts_[operation];
    return fault_ && fault_->operation == operation && fault_->callNumber == number;
  }
  // What the failing call does: the code a registry call answers with, or
  // the error any other raises.
  [[nodiscard]] std::int32_t InjectedCode() const { return fault_->code; }
  [[nodiscard]] Failure Injected() const { return {fault_->code, fault_->description}; }

  [[nodiscard]] const CallCounts& counts() const noexcept { return counts_; }

 private:
  const std::optional<Fault>& fault_;
  CallCounts counts_;
};

// The registry as the read helpers see it through RegOpenKeyExA,
// RegEnumKeyA, RegQueryValueExA and RegCloseKey.
class PredictedRegistry {
 public:
  PredictedRegistry(const Machine& machine, PredictedCalls& calls)
      : machine_(machine), calls_(calls) {}

  // RegKeyExists of the Java base key.
  bool BaseKeyExists();
  // The names the enumeration of the base key gathers: up to an injected
  // failure, the end of the list, or a name too long for the 260-byte
  // buffer. A name that the collection holds already ends it with a failure.
  std::vector<std::wstring> EnumerateVersions(std::optional<Failure>& failure);
  // The runtime directory the winning key names: its text, the empty text
  // when the key cannot be opened, or the failure that reading it raises.
  std::optional<Failure> ReadRuntimeDirectory(const std::wstring& winner, std::wstring& directory);

  // Handles left open: only a close made to fail leaves one.
  [[nodiscard]] std::size_t OpenHandles() const noexcept { return openHandles_; }

 private:
  bool Open(bool opensByItself);
  void Close();
  [[nodiscard]] bool BaseKeyOpens() const;
  [[nodiscard]] const RuntimeEntry* EntryNamed(const std::wstring& name) const;
  int Query(const RuntimeEntry& entry, std::uint32_t& type, std::uint32_t& size,
            std::vector<std::uint8_t>& buffer);

  const Machine& machine_;
  PredictedCalls& calls_;
  std::size_t openHandles_ = 0;
};

// The files and folders as the file-system double holds them, with its copy
// rules. Paths compare as that double compares them.
class PredictedFiles {
 public:
  explicit PredictedFiles(const Machine& machine);

  [[nodiscard]] bool FileExists(const std::wstring& path) const;
  // Copies the source file into the folder under its own name, or gives the
  // failure the double raises.
  std::optional<Failure> CopyFile(const std::wstring& source, const std::wstring& folder);

 private:
  void AddFolder(const std::wstring& path);
  // A folder and those above it, from its key (a path already read).
  void AddFolderKey(const std::wstring& key);
  void AddFile(const std::wstring& path, bool readOnly);

  std::set<std::wstring, std::less<>> folders_;
  std::set<std::wstring, std::less<>> files_;
  std::set<std::wstring, std::less<>> readOnly_;
};

}  // namespace tq::whole_run
