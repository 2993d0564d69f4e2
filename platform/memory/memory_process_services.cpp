#include "platform/memory/memory_process_services.h"

#include <utility>

#include "common/error.h"
#include "common/paths.h"
#include "common/text.h"

namespace tq {
namespace {

// %NAME% references replaced as Windows replaces them: a name it does not
// know stays as written, with its percent signs.
std::wstring ExpandReferences(const std::wstring& text,
                              const std::map<std::wstring, std::wstring>& upperCaseNames) {
  std::wstring expanded;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find(L'%', at);
    const std::size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring::npos) {
      expanded += text.substr(at);
      break;
    }
    expanded += text.substr(at, open - at);
    const std::wstring name = AsciiUpperCase(text.substr(open + 1, close - open - 1));
    const auto value = upperCaseNames.find(name);
    if (!name.empty() && value != upperCaseNames.end()) {
      expanded += value->second;
      at = close + 1;
    } else {
      // The closing sign may open the next reference.
      expanded += text.substr(open, close - open);
      at = close;
    }
  }
  return expanded;
}

}  // namespace

MemoryProcessServices::MemoryProcessServices(Journal& journal, FaultPlan& faults,
                                             std::wstring launcherFolder,
                                             std::wstring workingDirectory)
    : folders{launcherFolder, workingDirectory},
      program(PathFrom(launcherFolder, L"TovaneQuillon.exe")),
      commandLine(Quoted(program)),
      recorder_{journal, faults},
      launcherFolder_(std::move(launcherFolder)),
      workingDirectory_(std::move(workingDirectory)) {}

std::wstring MemoryProcessServices::LauncherFolder() {
  recorder_.Enter(Operation::kLauncherFolder);
  return launcherFolder_;
}

std::wstring MemoryProcessServices::LauncherProgram() {
  recorder_.Enter(Operation::kLauncherProgram);
  return program;
}

std::wstring MemoryProcessServices::CommandLine() { return commandLine; }

std::wstring MemoryProcessServices::ExpandEnvironment(const std::wstring& text) {
  recorder_.Enter(Operation::kExpandEnvironment, text);
  return ExpandReferences(text, environment);
}

std::wstring MemoryProcessServices::WorkingDirectory() {
  recorder_.Enter(Operation::kWorkingDirectory);
  return workingDirectory_;
}

void MemoryProcessServices::ChangeWorkingDirectory(const std::wstring& folder) {
  recorder_.Enter(Operation::kChangeWorkingDirectory, folder);
  if (!folders.contains(folder)) {
    throw PathNotFound();
  }
  workingDirectory_ = folder;
}

unsigned long MemoryProcessServices::StartHidden(const std::wstring& commandLine,
                                                 const StartOptions& options) {
  recorder_.Enter(Operation::kStartHidden, commandLine);
  started.push_back({commandLine, workingDirectory_, options});
  return 3999 + started.size();
}

std::optional<ProgramEnd> MemoryProcessServices::WaitForStartedProgram(
    unsigned timeoutMilliseconds) {
  recorder_.Enter(Operation::kWaitForStartedProgram, std::to_wstring(timeoutMilliseconds));
  if (started.empty()) {
    throw InvalidProcedureCall();
  }
  const bool endsWithin = programEnd && programEnd->waitedMilliseconds <= timeoutMilliseconds;
  return endsWithin ? programEnd : std::nullopt;
}

}  // namespace tq
