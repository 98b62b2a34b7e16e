#include "net/address_sweep.h"

#include <vector>

#include "net/address_text.h"
#include "net/local_identity.h"
#include "net/row_texts.h"
#include "net/scan_view.h"
#include "platform/debug_output.h"
#include "platform/net_port.h"

std::atomic<int> g_bSweepDone{0};
CriticalSection g_csDeviceTable;
WakeEvent g_evSweepDone;

namespace {
constexpr unsigned kFirstHost = 2;
constexpr unsigned kLastHost = 254;
}  // namespace

unsigned long TARNLOOK_THREADCALL SweepThreadProc(void* /*parameter: the dialog's list, unused*/) {
  const uint32_t local = SelectLocalAddress();
  CurrentScanView().EnableItem(kItemRedetect, false);

  // Handles by host number; a probe that could not be started leaves its slot empty.
  ThreadHandle slots[kLastHost + 1] = {};
  for (unsigned n = kFirstHost; n <= kLastHost; ++n) {
    auto* request = new SweepRequest{&g_deviceTable, WithHostNumber(local, n)};
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

  // No probe is left, so the table is the list builder's from here on.
  g_bSweepDone.store(1);
  g_evSweepDone.Set();
  CurrentScanView().EnableItem(kItemRedetect, true);
  return 0;
}

unsigned long TARNLOOK_THREADCALL ProbeThreadProc(void* parameter) {
  auto* request = static_cast<SweepRequest*>(parameter);
  if (!request) return 0;
  NetPort& net = CurrentNetPort();
  const std::string ipText = Ipv4ToText(request->target);
  PurgeArpEntries(request->target);  // so no cached entry answers for the device

  // Two 32-bit words, as SendARP requires, although a hardware address fills only 6 bytes.
  uint32_t mac[2] = {0, 0};
  uint32_t length = 6;
  if (net.SendArp(request->target, 0, mac, length) != 0) {
    delete request;
    return 0;
  }

  // The slow steps (ARP and the reverse lookup) stay outside the lock.
  net.StartSockets(2, 2);
  std::string name;
  const bool named = net.ResolveHostName(request->target, name);

  {
    CriticalSectionLock lock(g_csDeviceTable);
    DeviceRecord record;
    record.macText = FormatMacText(reinterpret_cast<const unsigned char*>(mac));
    record.hostName = named ? name : kUnknownHostName;
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
