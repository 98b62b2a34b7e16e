#include "net/address_sweep.h"

#include <vector>

#include "net/address_text.h"
#include "net/arp_fallback.h"
#include "net/device_name.h"
#include "net/local_identity.h"
#include "net/name_queries.h"
#include "net/name_sources.h"
#include "net/network_choice.h"
#include "net/row_texts.h"
#include "net/scan_view.h"
#include "platform/debug_output.h"
#include "platform/net_port.h"

std::atomic<int> g_bSweepDone{0};
std::atomic<int> g_bSendArpUnsupported{0};
std::atomic<int> g_bSendArpAnswered{0};
CriticalSection g_csDeviceTable;
WakeEvent g_evSweepDone;

namespace {
constexpr unsigned kFirstHost = 2;
constexpr unsigned kLastHost = 254;

// Taken around a purge while nobody knows yet whether SendARP is supported.
CriticalSection g_csFirstPurges;

void RunProbes(uint32_t local, NeighbourFallback& fallback);
void PurgeBeforeRequest(uint32_t target);
uint32_t RequestHardwareAddress(const SweepRequest& request, uint32_t (&mac)[2]);
DeviceName LookUpHostName(uint32_t target);
}  // namespace

unsigned long TARNLOOK_THREADCALL SweepThreadProc(void* /*parameter: the dialog's list, unused*/) {
  const uint32_t local = ChooseNetworkForScan();
  CurrentScanView().EnableItem(kItemRedetect, false);

  {
    // Outlives every probe: its table reader ends when the last probe has ended.
    NeighbourFallback fallback(local);
    RunProbes(local, fallback);
  }

  // No probe is left, so the table is the list builder's from here on.
  g_bSweepDone.store(1);
  g_evSweepDone.Set();
  CurrentScanView().EnableItem(kItemRedetect, true);
  return 0;
}

namespace {

void RunProbes(uint32_t local, NeighbourFallback& fallback) {
  // Handles by host number; a probe that could not be started leaves its slot empty.
  ThreadHandle slots[kLastHost + 1] = {};
  for (unsigned n = kFirstHost; n <= kLastHost; ++n) {
    auto* request = new SweepRequest{&g_deviceTable, WithHostNumber(local, n), &fallback};
    slots[n] = StartThread(ProbeThreadProc, request);
    if (!slots[n]) delete request;  // no thread will own it
  }

  // All probes run at once; wait for them in slot order, at most kMaxWaitHandles at a time.
  ThreadHandle batch[kMaxWaitHandles];
  std::size_t count = 0;
  for (unsigned n = kFirstHost; n <= kLastHost; ++n) {
    if (!slots[n]) continue;
    batch[count++] = slots[n];
    if (count == kMaxWaitHandles) {
      WaitForAllThreads(batch, count);
      count = 0;
    }
  }
  if (count) WaitForAllThreads(batch, count);

  for (ThreadHandle& slot : slots) {
    if (slot) CloseThread(slot);
    slot = nullptr;
  }
}

// So that no cached entry answers for the device. Where SendARP is not supported the purge
// deletes nothing, and its table reads (slow there once the table is full, as it is when the
// program starts again within a minute) would hold up every probe: until the first SendARP has
// told, purges run one at a time, and once it said "not supported" they are skipped.
void PurgeBeforeRequest(uint32_t target) {
  if (g_bSendArpUnsupported.load()) return;
  if (g_bSendArpAnswered.load()) {
    PurgeArpEntries(target);
    return;
  }
  CriticalSectionLock lock(g_csFirstPurges);
  if (!g_bSendArpUnsupported.load()) PurgeArpEntries(target);
}

// SendARP, or, where the system does not support it, the sweep's fallback. Any other failure is
// the answer: nobody holds the address, or the request could not be made.
uint32_t RequestHardwareAddress(const SweepRequest& request, uint32_t (&mac)[2]) {
  uint32_t length = 6;
  const uint32_t result = CurrentNetPort().SendArp(request.target, 0, mac, length);
  if (result != NetPort::kNotSupported) {
    g_bSendArpAnswered.store(1);
    return result;
  }
  g_bSendArpUnsupported.store(1);
  return request.fallback ? request.fallback->Request(request.target, mac, length) : result;
}

// The reverse lookup first; only when it has nothing the name rules keep is the device itself
// asked. On Windows that lookup may fall back to LLMNR or NetBIOS, so its name is as much the
// device's word as the devices' own answers, and a line feed in it would split the row.
DeviceName LookUpHostName(uint32_t target) {
  NetPort& net = CurrentNetPort();
  net.StartSockets(2, 2);
  std::string name;
  if (net.ResolveHostName(target, name) && names::IsListableName(name))
    return {name, NameSource::kDns};
  return AskDeviceForName(net, target);
}

}  // namespace

unsigned long TARNLOOK_THREADCALL ProbeThreadProc(void* parameter) {
  auto* request = static_cast<SweepRequest*>(parameter);
  if (!request) return 0;
  const std::string ipText = Ipv4ToText(request->target);
  PurgeBeforeRequest(request->target);

  // Two 32-bit words, as SendARP requires, although a hardware address fills only 6 bytes.
  uint32_t mac[2] = {0, 0};
  if (RequestHardwareAddress(*request, mac) != 0) {
    delete request;
    return 0;
  }

  // The slow steps (ARP and the names) stay outside the lock.
  const DeviceName found = LookUpHostName(request->target);
  const std::string macText = FormatMacText(reinterpret_cast<const unsigned char*>(mac));
  if (found.source != NameSource::kNone) NoteNameSource(ipText, macText, found.name, found.source);

  {
    CriticalSectionLock lock(g_csDeviceTable);
    DeviceRecord record;
    record.macText = macText;
    record.hostName = found.source != NameSource::kNone ? found.name : kUnknownHostName;
    record.ipText = ipText;
    record.statusLabel = kStatusNotKnown.record;
    DebugOutput(record.hostName);
    request->table->push_back(record);
  }
  delete request;
  return 0;
}

int PurgeArpEntries(uint32_t address) {
  NetPort& net = CurrentNetPort();
  const uint32_t size = net.QueryArpTableSize();
  if (size == 0) return 1;
  if (g_bSendArpUnsupported.load()) return 1;  // learnt meanwhile: spare the slow read
  std::vector<ArpCacheRow> rows;
  if (!net.ReadArpTable(size, rows)) return 1;
  bool removed = false;
  for (const ArpCacheRow& row : rows) {
    if (row.address != address) continue;
    net.DeleteArpEntry(row);  // failing (no rights) only leaves the entry cached
    removed = true;
  }
  return removed ? 0 : 1;
}
