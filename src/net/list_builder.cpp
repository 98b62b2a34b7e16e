#include "net/list_builder.h"

#include <atomic>
#include <cstdio>
#include <utility>

#include "net/address_sweep.h"
#include "net/address_text.h"
#include "net/local_identity.h"
#include "net/name_queries.h"
#include "net/network_choice.h"
#include "net/row_texts.h"
#include "net/scan_view.h"
#include "platform/debug_output.h"
#include "platform/net_port.h"
#include "text/cp936.h"

namespace {
// Between two tests of g_bSweepDone the builder sleeps on g_evSweepDone; the time-out only covers a
// flag raised by someone who does not signal.
constexpr unsigned kSweepPollMilliseconds = 100;
constexpr int kOwnHostNameBuffer = 255;

std::atomic<MergeStep> g_mergeStep{nullptr};

// A merge that fails for any reason (a registry file too large for the address space throws
// std::bad_alloc) must not cost the scan its summary, nor leave a row half merged: every row then
// keeps its sweep texts. The copy is taken before the step runs, so a failed copy skips the merge.
void RunMergeStep(DeviceTable& table) {
  const MergeStep merge = g_mergeStep.load();
  if (!merge) return;
  try {
    DeviceTable sweepTexts = table;
    try {
      merge();
    } catch (...) {
      table.swap(sweepTexts);
      throw;
    }
  } catch (...) {
    DebugOutput("合并注册表失败");
  }
}

// This computer's own name, as gethostname gives it, for its row when no lookup named it (its name
// may resolve only to a loopback alias). A stored name still wins in the merge.
void NameOwnRow(DeviceRecord& record) {
  NetPort& net = CurrentNetPort();
  if (!net.StartSockets(2, 0)) return;
  std::string name;
  if (net.ReadOwnHostName(name, kOwnHostNameBuffer) && names::IsListableName(name))
    record.hostName = name;
  net.CleanupSockets();
}

}  // namespace

void InstallMergeStep(MergeStep step) { g_mergeStep.store(step); }

MergeStep CurrentMergeStep() { return g_mergeStep.load(); }

std::string ShortenHostName(const std::string& hostName) {
  if (hostName.size() <= kHostNameMaxBytes) return hostName;
  return hostName.substr(0, text::WholeCharPrefix(hostName, kHostNameMaxBytes));
}

void WaitForSweep() {
  DebugOutput("---------线程循环---------");
  while (g_bSweepDone.load() == 0) {
    DebugOutput("一直循环");
    g_evSweepDone.Wait(kSweepPollMilliseconds);
  }
  DebugOutput("---------进入线程---------");
}

void AssembleList() {
  // The sweep has ended: no probe touches the table any more, so no lock is needed.
  DeviceTable& table = g_deviceTable;
  // The sweep launcher's choice, not a new one: a route that changed meanwhile cannot move this
  // computer's row. A computer on dial-up alone shows no devices; one with a VPN connection beside
  // its LAN adapter lists the LAN.
  const ScanNetwork network = LatestScanNetwork();
  if (g_bPppAdapter == 1 && network.candidate < 0) table.clear();

  const std::string localText = Ipv4ToText(network.address);
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].ipText != localText) continue;
    if (i != 0) std::swap(table[i], table[0]);
    table[0].statusLabel = kStatusLocal.record;
    if (table[0].hostName == kUnknownHostName) NameOwnRow(table[0]);
    break;
  }

  RunMergeStep(table);

  ScanView& view = CurrentScanView();
  int unknown = 0;
  for (std::size_t j = 0; j < table.size(); ++j) {
    DeviceRecord& record = table[j];
    record.hostName = ShortenHostName(record.hostName);
    const int row = static_cast<int>(j);
    view.InsertRow(row, HostCellText(record.hostName));
    view.SetCell(row, 1, AddressCellText(record.macText, record.ipText), 0);
    view.SetCellText(row, 2, StatusCellText(record.statusLabel));
    if (IsMarkedUnknown(record.statusLabel)) ++unknown;
    view.RepaintList();  // rows appear one by one
  }
  view.InvalidateList();
  // From here on the list rows are the only copy of the results. The table is emptied before the
  // summary shows the re-detect button: a re-detect starts probes that append to it at once.
  table.clear();
  ShowSummary(unknown);
  view.ScanEnded(unknown);
  DebugOutput("初始化列表完成");
}

unsigned long TARNLOOK_THREADCALL
ListBuildThreadProc(void* /*parameter: the dialog's list, unused*/) {
  WaitForSweep();
  AssembleList();
  return 0;
}

void ShowSummary(int count) {
  ScanView& view = CurrentScanView();
  view.ShowItem(kItemStatusText, false);
  view.SetItemText(kItemSummaryPrefix, "发现您的局域网有");
  view.ShowItem(kItemSummaryPrefix, true);
  view.SetItemText(kItemSummarySuffix, "个未知设备");
  view.ShowItem(kItemSummarySuffix, true);
  char number[16];
  std::snprintf(number, sizeof number, "%d", count);
  view.SetItemText(kItemUnknownCount, number);
  view.ShowItem(kItemUnknownCount, true);
  // The re-detect button comes back with the end of the scan run (ScanView::ScanEnded).
}
