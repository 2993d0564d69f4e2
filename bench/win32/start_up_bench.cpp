// The start-up benchmark's driver: runs TovaneQuillon.exe and the floor
// program side by side on the same machine, alternately, and writes one CSV
// row per run.
//
//   start_up_bench.exe LAUNCHER FLOOR STAND_IN_JAVA OUT.csv [RUNS]
//
// Paths may be host paths ("/x/y", Wine's Z: drive). RUNS (default 10)
// counted runs of each program follow one warm-up run of each, which is
// not written: the first start of a program pays for loading it from disk.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>

#include "bench/win32/bench_machine.h"
#include "bench/win32/run_observer.h"
#include "tests/e2e/stand_in_records.h"

namespace tq::bench {
namespace {

constexpr unsigned kDefaultRuns = 10;
// Long enough for the driver to find the stand-in while it runs; over well
// before the launcher's own 10 s wait ends, so it costs nothing after that.
constexpr unsigned kStandInLingerMilliseconds = 3000;

struct Program {
  const char* name;
  RunRequest request;
};

// Each run's stand-in records in a folder of its own: the system reuses
// process ids, and a record file of an earlier run under the same id could
// be replaced while it is read.
RunObservation RunOnce(BenchMachine& machine, const Program& program) {
  e2e::StandInRecords records(machine.NewRecordFolder());
  RunRequest request = program.request;
  request.environment = records.Environment(kStandInLingerMilliseconds);
  return ObserveRun(request, records);
}

class CsvFile {
 public:
  explicit CsvFile(const std::wstring& path) : file_(_wfopen(path.c_str(), L"w")) {
    if (file_ == nullptr) {
      throw std::runtime_error("cannot write the results file");
    }
    std::fputs(
        "program,run,start_to_visible_ms,tick_to_child_ms,child_to_exit_ms,start_to_child_ms,"
        "start_to_exit_ms,peak_working_set_bytes,peak_handle_count,exit_code\n",
        file_);
  }
  CsvFile(const CsvFile&) = delete;
  CsvFile& operator=(const CsvFile&) = delete;
  ~CsvFile() { std::fclose(file_); }

  void Write(const char* program, unsigned run, const RunObservation& o) {
    std::fprintf(file_, "%s,%u,%.3f,%.3f,%.3f,%.3f,%.3f,%zu,%lu,%lu\n", program, run,
                 o.startToVisible, o.tickToChild, o.childToExit, o.startToChild, o.startToExit,
                 o.peakWorkingSet, o.peakHandles, o.exitCode);
    std::fflush(file_);
  }

 private:
  std::FILE* file_;
};

void Report(const char* program, const char* run, const RunObservation& o) {
  std::printf(
      "%-8s %-7s visible %8.1f ms  tick->child %7.1f ms  child->exit %9.1f ms  %6zu KiB  %3lu "
      "handles\n",
      program, run, o.startToVisible, o.tickToChild, o.childToExit, o.peakWorkingSet / 1024,
      o.peakHandles);
  std::fflush(stdout);
}

int Run(int argc, wchar_t** argv) {
  if (argc < 5) {
    std::fputs("usage: start_up_bench LAUNCHER FLOOR STAND_IN_JAVA OUT.csv [RUNS]\n", stderr);
    return 2;
  }
  const BenchPrograms programs{e2e::WindowsPathFromHost(argv[1]), e2e::WindowsPathFromHost(argv[2]),
                               e2e::WindowsPathFromHost(argv[3])};
  const std::wstring out = e2e::WindowsPathFromHost(argv[4]);
  const unsigned runs =
      argc > 5 ? static_cast<unsigned>(std::wcstoul(argv[5], nullptr, 10)) : kDefaultRuns;

  BenchMachine machine(programs);
  const Program launcher{
      "launcher",
      {machine.launcher().launcher(), L"", machine.launcher().folder(), {}, machine.java()}};
  const Program floor{"floor", {machine.floor(), machine.javaCommand(), L"", {}, machine.java()}};
  const Program withSettings{"settings",
                             {machine.launcherWithSettings().launcher(),
                              L"",
                              machine.launcherWithSettings().folder(),
                              {},
                              machine.java()}};

  CsvFile csv(out);
  Report(floor.name, "warm-up", RunOnce(machine, floor));
  Report(launcher.name, "warm-up", RunOnce(machine, launcher));
  Report(withSettings.name, "warm-up", RunOnce(machine, withSettings));
  for (unsigned run = 1; run <= runs; ++run) {
    // Each program goes first in turn, so a drift of the machine's speed
    // during the run weighs on all alike.
    const std::array<const Program*, 3> order = {&floor, &launcher, &withSettings};
    for (unsigned i = 0; i < order.size(); ++i) {
      const Program* program = order[(i + run) % order.size()];
      const RunObservation observation = RunOnce(machine, *program);
      csv.Write(program->name, run, observation);
      Report(program->name, std::to_string(run).c_str(), observation);
    }
  }
  return 0;
}

}  // namespace
}  // namespace tq::bench

int wmain(int argc, wchar_t** argv) {
  try {
    return tq::bench::Run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "start_up_bench: %s\n", error.what());
    return 1;
  }
}
