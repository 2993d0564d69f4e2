#include "bench/win32/bench_machine.h"

#include <filesystem>
#include <stdexcept>

#include "launcher/java_command.h"
#include "platform/win32/unique_any.h"
#include "runtime/support_files.h"
#include "tests/e2e/java_runtimes.h"
#include "tests/launcher_expectations.h"

namespace tq::bench {
namespace {

void CreateEmptyFile(const std::wstring& path) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    throw std::runtime_error("cannot create a support file of the benchmark's runtime");
  }
}

std::wstring CopyProgram(const std::wstring& program, const std::wstring& folder,
                         const std::wstring& name) {
  std::filesystem::create_directories(std::filesystem::path(folder));
  const std::wstring target = folder + L"\\" + name;
  if (!CopyFileW(program.c_str(), target.c_str(), FALSE)) {
    throw std::runtime_error("cannot copy a program of the benchmark");
  }
  return target;
}

}  // namespace

BenchMachine::BenchMachine(const BenchPrograms& programs)
    : launcher_(scratch_.path(), L"Tovane Quillon", programs.launcher),
      withSettings_(scratch_.path(), L"Tovane Quillon Settings", programs.launcher),
      runtime_(scratch_.path() + L"\\Java\\jre6"),
      floor_(CopyProgram(programs.floor, scratch_.path() + L"\\Floor", L"floor.exe")) {
  e2e::PlaceStandIn(programs.standInJava, java());
  for (const SupportFile& file : kSupportFiles) {
    CreateEmptyFile(runtime_ + TestedPath(file));
  }
  e2e::WriteFileBytes(withSettings_.folder() + L"\\TovaneQuillon.ini",
                      "; what a deployer writes\r\n[Java]\r\nOptions=-Xmx512m "
                      "-Dfile.encoding=UTF-8\r\n[Launcher]\r\nSingleInstance=yes\r\n"
                      "[Log]\r\nFile=launcher.log\r\n");
  registry_.RemoveTree(HKEY_LOCAL_MACHINE, expected::kJavaRuntimeKey);
  // One runtime too old to be taken, then the one that is.
  e2e::RegisterJavaRuntime(registry_, L"1.4.2_19", L"C:\\Java\\j2re1.4.2_19");
  e2e::RegisterJavaRuntime(registry_, L"1.6.0_45", runtime_);
}

std::wstring BenchMachine::java() const { return runtime_ + L"\\bin\\java.exe"; }

std::wstring BenchMachine::NewRecordFolder() {
  return scratch_.path() + L"\\records-" + std::to_wstring(++recordFolders_);
}

std::wstring BenchMachine::javaCommand() const {
  return BuildJavaCommand(runtime_, launcher_.folder());
}

}  // namespace tq::bench
