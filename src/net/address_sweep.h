#pragma once
// The address sweep: one probe thread per host .2 to .254 of the local /24; each answering
// device is appended to g_deviceTable under g_csDeviceTable. g_bSweepDone rises only after every
// probe thread has ended, which is what lets the list builder use the table without the lock.
#include <atomic>
#include <cstdint>

#include "net/device_record.h"
#include "platform/thread_port.h"

// 0 at program start; the sweep launcher sets 1 when all probes have ended; the re-detect command
// sets 0 before it starts the next scan. Read afresh on every test.
extern std::atomic<int> g_bSweepDone;
// Guards appends to g_deviceTable; taken by the probes only.
extern CriticalSection g_csDeviceTable;
// Set by the launcher right after it raises g_bSweepDone, so the list builder can sleep until then.
extern WakeEvent g_evSweepDone;

// 1 once a probe has met a SendARP that is not supported (under Wine, always). It stays for the
// life of the process: from then on probes skip the purge, which deletes nothing there.
extern std::atomic<int> g_bSendArpUnsupported;

class NeighbourFallback;

// The work item of one probe, allocated by the launcher and released by the probe.
struct SweepRequest {
  DeviceTable* table;
  uint32_t target;  // network byte order
  // The sweep's way round a SendARP that is not supported; none: such a probe finds nothing.
  NeighbourFallback* fallback = nullptr;
};

// Thread procedures; both return 0. The launcher ignores its parameter (the dialog passes its list).
unsigned long TARNLOOK_THREADCALL SweepThreadProc(void* parameter);
unsigned long TARNLOOK_THREADCALL ProbeThreadProc(void* request);

// Removes every entry for address from the system's ARP cache: 0 if one was removed, else 1.
int PurgeArpEntries(uint32_t address);
