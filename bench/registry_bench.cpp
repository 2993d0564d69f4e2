#include <benchmark/benchmark.h>

#include <string>

#include "launcher/java_command.h"
#include "platform/memory/memory_registry.h"
#include "registry/m_registry.h"

namespace tq {
namespace {

void BM_RegEnumSubKeys(benchmark::State& state) {
  const auto count = state.range(0);
  FaultPlan noFaults;
  MemoryRegistry registry(noFaults);
  registry.KeepCallLog(false);
  for (std::int64_t index = 0; index < count; ++index) {
    registry.CreateKey(kHkeyLocalMachine, L"Runtimes\\1.5.0_" + std::to_wstring(index));
  }
  for (auto _ : state) {
    SubKeyCollection names = RegEnumSubKeys(registry, kHkeyLocalMachine, L"Runtimes");
    benchmark::DoNotOptimize(names);
  }
  state.SetItemsProcessed(state.iterations() * count);
  // The time per subkey: flat across the sizes when the cost is linear.
  state.counters["per_subkey"] =
      benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_RegEnumSubKeys)->Arg(100)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);

// Values of a size: small (a typical JavaHome), just below and just above the
// first buffer, and 1 MB.
void ValueSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(32)->Arg(1024)->Arg(1025)->Arg(1 << 20);
}

void BM_RegGetValueBinary(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  FaultPlan noFaults;
  MemoryRegistry registry(noFaults);
  registry.KeepCallLog(false);
  registry.SetValue(kHkeyLocalMachine, L"Runtime", L"Data", kRegBinary, ByteArray(size, 0x5A));
  for (auto _ : state) {
    RegVariant value = RegGetValue(registry, kHkeyLocalMachine, L"Runtime", L"Data");
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RegGetValueBinary)->Apply(ValueSizes);

void BM_RegGetValueString(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  FaultPlan noFaults;
  MemoryRegistry registry(noFaults);
  registry.KeepCallLog(false);
  registry.SetString(kHkeyLocalMachine, L"Runtime", L"JavaHome", std::wstring(size - 1, L'j'));
  for (auto _ : state) {
    RegVariant value = RegGetValue(registry, kHkeyLocalMachine, L"Runtime", L"JavaHome");
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RegGetValueString)->Apply(ValueSizes);

// The command line for a runtime and a launcher folder with blanks (the
// quoted form) and for no runtime at all (the bare "java").
void BM_BuildJavaCommand(benchmark::State& state) {
  const std::wstring javaHome =
      state.range(0) == 0 ? std::wstring() : L"C:\\Program Files (x86)\\Java\\jre6";
  const std::wstring launcherFolder = L"C:\\Program Files (x86)\\Tovane Quillon";
  for (auto _ : state) {
    std::wstring command = BuildJavaCommand(javaHome, launcherFolder);
    benchmark::DoNotOptimize(command);
  }
}
BENCHMARK(BM_BuildJavaCommand)->ArgName("runtime")->Arg(1)->Arg(0);

}  // namespace
}  // namespace tq
