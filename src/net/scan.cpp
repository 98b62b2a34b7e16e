#include "net/scan.h"

#include <atomic>

#include "net/address_sweep.h"
#include "net/list_builder.h"
#include "net/name_sources.h"

namespace {
std::atomic<int> g_bScanRunning{0};
}  // namespace

bool ScanRunning() { return g_bScanRunning.load() != 0; }

void EndScanRun() { g_bScanRunning.store(0); }

void ResetScanState() {
  g_bSweepDone.store(0);
  g_deviceTable.clear();
  ClearNameSources();
  while (g_evSweepDone.Wait(0)) {
  }  // a wake-up left over from the last scan would only cost one extra test, but drop it
}

bool StartScan(void* list) {
  g_bScanRunning.store(1);
  ThreadHandle sweep = StartThread(SweepThreadProc, list);
  if (!sweep) {
    // Without a sweep the builder would wait for ever: let it show an empty result instead, which
    // also brings the re-detect button back.
    g_bSweepDone.store(1);
    g_evSweepDone.Set();
  }
  ThreadHandle builder = StartThread(ListBuildThreadProc, list);
  // Nobody waits for them: the threads run on and end by themselves.
  if (sweep) CloseThread(sweep);
  if (builder) CloseThread(builder);
  return sweep && builder;
}
