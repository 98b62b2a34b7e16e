// A full scan (sweep plus list builder) on the simulated LAN whose slowest probe takes 1 s.
//   wall_over_slowest  wall time of the scan / the slowest probe's latency (goal <= 1.05): the 253
//                      probes must run at once, not one after another
//   wait_cpu_fraction  CPU time of the list builder while it waits for the sweep / that wait
//                      (goal < 0.01): the builder must sleep, not spin
// BM_FullScanWithoutSendArp: the same LAN where SendARP is not supported, found through the
// neighbour table.
//   wall_over_bound    wall time of the scan / the neighbour fallback's bound (goal <= 1.2): the
//                      probes wait together, one bound plus a table read or two
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include <time.h>

#include "net/address_sweep.h"
#include "net/arp_fallback.h"
#include "net/list_builder.h"
#include "net/scan.h"
#include "platform/debug_output.h"
#include "sim/simulated_lan.h"

namespace {

constexpr double kSlowestProbeSeconds = 1.0;

const char kLan[] =
    "adapter 6 192.168.1.23\n"
    "hostname BENCH-PC 192.168.1.23\n"
    "silence 1000\n"  // every silent address is a slowest probe
    "device 192.168.1.23 00-1A-2B-3C-4D-5E 1 BENCH-PC\n"
    "device 192.168.1.2 C8-3A-35-10-20-01 12 router\n"
    "device 192.168.1.5 00-11-32-AA-BB-05 40 nas\n"
    "device 192.168.1.17 3C-2E-FF-01-02-17 180\n"
    "device 192.168.1.42 00-80-77-12-34-42 25 printer\n"
    "device 192.168.1.64 F0-18-98-5A-6B-64 300 phone\n"
    "device 192.168.1.101 DC-A6-32-01-01-01 450\n"
    "device 192.168.1.200 5C-CF-7F-C8-00-C8 1000 plug\n";

double ThreadCpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

void Quiet(OutputChannel, const char*) {}

void BM_FullScan(benchmark::State& state) {
  SimScenario lan;
  ParseScenario(kLan, lan);
  lan.sendArpSupported = state.range(0) == 0;
  InstallSimulatedLan(lan);
  InstallOutputSink(Quiet);
  double wallSum = 0, waitSum = 0, waitCpuSum = 0;
  for (auto _ : state) {
    ResetScanState();
    const auto start = std::chrono::steady_clock::now();
    ThreadHandle sweep = StartThread(SweepThreadProc, nullptr);
    double wait = 0, waitCpu = 0;
    std::thread builder([&] {
      const auto waitStart = std::chrono::steady_clock::now();
      const double cpuStart = ThreadCpuSeconds();
      WaitForSweep();
      waitCpu = ThreadCpuSeconds() - cpuStart;
      wait = std::chrono::duration<double>(std::chrono::steady_clock::now() - waitStart).count();
      AssembleList();
    });
    builder.join();
    WaitForAllThreads(&sweep, 1);
    CloseThread(sweep);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(wall);
    wallSum += wall;
    waitSum += wait;
    waitCpuSum += waitCpu;
  }
  const double n = static_cast<double>(state.iterations());
  if (lan.sendArpSupported)
    state.counters["wall_over_slowest"] = wallSum / n / kSlowestProbeSeconds;
  else
    state.counters["wall_over_bound"] = wallSum / n / (NeighbourFallback::kBoundMilliseconds / 1e3);
  state.counters["wait_cpu_fraction"] = waitSum > 0 ? waitCpuSum / waitSum : 0;
  InstallOutputSink(nullptr);
  InstallNetPort(nullptr);
}
BENCHMARK(BM_FullScan)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond)->Arg(0);
BENCHMARK(BM_FullScan)
    ->Name("BM_FullScanWithoutSendArp")
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->Arg(1);

}  // namespace

BENCHMARK_MAIN();
