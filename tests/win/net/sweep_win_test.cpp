// The sweep and the list builder with the Win32 bindings, real threads and a real window.
// Run inside a private network namespace (see CMakeLists.txt): the sweep probes only what the
// namespaced machine reports, Wine's SendARP answers nothing, and the datagrams of the way round it
// stay on loopback.
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <atomic>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/address_sweep.h"
#include "net/address_text.h"
#include "net/list_builder.h"
#include "net/local_identity.h"
#include "net/scan.h"
#include "net/scan_view.h"
#include "platform/debug_output.h"
#include "platform/net_port.h"
#include "ui/window_scan_view.h"

namespace {

// Counts what the sweep asks of the system, passing every call on to the Win32 binding, but for
// the datagrams and the neighbour table, which it confines to loopback: the wineserver of the
// prefix may have been started outside this test's namespace, and then it sends and reads there.
class CountingNetPort : public NetPort {
 public:
  explicit CountingNetPort(NetPort& real) : m_real(real) {}
  std::atomic<int> arpCalls{0};
  std::atomic<int> datagrams{0};
  std::atomic<int> outsideNetwork{0};
  uint32_t network = 0;

  uint32_t ReadAdapters(uint32_t& size, std::vector<AdapterEntry>& list) override {
    return m_real.ReadAdapters(size, list);
  }
  bool StartSockets(int major, int minor) override { return m_real.StartSockets(major, minor); }
  void CleanupSockets() override { m_real.CleanupSockets(); }
  bool ReadOwnHostName(std::string& name, int length) override {
    return m_real.ReadOwnHostName(name, length);
  }
  bool ResolveFirstAddress(const std::string& name, uint32_t& address) override {
    return m_real.ResolveFirstAddress(name, address);
  }
  bool ResolveHostName(uint32_t address, std::string& name) override {
    return m_real.ResolveHostName(address, name);
  }
  uint32_t SendArp(uint32_t target, uint32_t source, uint32_t (&mac)[2],
                   uint32_t& length) override {
    ++arpCalls;
    if (WithHostNumber(target, 0) != WithHostNumber(network, 0)) ++outsideNetwork;
    return m_real.SendArp(target, source, mac, length);
  }
  bool SendDatagram(uint32_t target, uint16_t port) override {
    ++datagrams;
    return IsLoopback(target) ? m_real.SendDatagram(target, port) : true;
  }
  uint32_t QueryArpTableSize() override { return m_real.QueryArpTableSize(); }
  bool ReadArpTable(uint32_t size, std::vector<ArpCacheRow>& rows) override {
    if (!m_real.ReadArpTable(size, rows)) return false;
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [](const ArpCacheRow& row) { return !IsLoopback(row.address); }),
               rows.end());
    return true;
  }
  void DeleteArpEntry(const ArpCacheRow& row) override { m_real.DeleteArpEntry(row); }

 private:
  static bool IsLoopback(uint32_t address) { return (address & 0xFF) == 127; }
  NetPort& m_real;
};

std::mutex g_outputMutex;
std::vector<std::string> g_debugLines;
void Capture(OutputChannel channel, const char* text) {
  std::lock_guard<std::mutex> lock(g_outputMutex);
  if (channel == OutputChannel::Debugger) g_debugLines.push_back(text);
}
bool ListFinished() {
  std::lock_guard<std::mutex> lock(g_outputMutex);
  for (const std::string& line : g_debugLines)
    if (line == "初始化列表完成") return true;
  return false;
}

std::atomic<int> g_enables{0}, g_disables{0};
WNDPROC g_buttonProc;
LRESULT CALLBACK CountingButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENABLE) ++(wParam ? g_enables : g_disables);
  return CallWindowProcA(g_buttonProc, hwnd, message, wParam, lParam);
}

// A stand-in for the main dialog: the re-detect button, the summary items and the device list.
struct TestDialog {
  HWND dialog = nullptr, list = nullptr, button = nullptr;

  TestDialog() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TarnlookNetTestDialog";
    RegisterClassA(&wc);
    dialog = CreateWindowExA(0, wc.lpszClassName, "test", WS_OVERLAPPEDWINDOW, 0, 0, 568, 373,
                             nullptr, nullptr, wc.hInstance, nullptr);
    button = Child("BUTTON", 1000, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON);
    for (int id : {1001, 1004, 1005, 1006})
      Child("STATIC", id, WS_CHILD | (id == 1001 ? WS_VISIBLE : 0));
    list = Child(WC_LISTVIEWA, 1002, WS_CHILD | WS_VISIBLE | LVS_REPORT);
    for (int c = 0; c < 3; ++c) {
      LVCOLUMNA column = {};
      column.mask = LVCF_WIDTH;
      column.cx = 150;
      SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    g_buttonProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingButtonProc)));
    ShowWindow(dialog, SW_SHOW);
  }
  ~TestDialog() {
    if (IsWindow(dialog)) DestroyWindow(dialog);
  }
  HWND Child(const char* cls, int id, DWORD style) {
    return CreateWindowExA(0, cls, "", style, 10, 10 + id % 10 * 30, 300, 25, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  }
  std::string Text(int id) {
    char buffer[64] = {};
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
  }
  bool Visible(int id) {
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
  }
};

// Runs the user-interface thread's message loop until done() or the time-out; true if done.
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs = 120000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return true;
}

class SweepWinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
  }
  void SetUp() override {
    InstallWin32NetPort();
    real = &CurrentNetPort();
    confined = std::make_unique<CountingNetPort>(*real);
    InstallNetPort(confined.get());
    g_debugLines.clear();
    InstallOutputSink(Capture);
    ResetScanState();
    g_enables = g_disables = 0;
  }
  void TearDown() override {
    UnbindScanView();
    InstallScanView(nullptr);
    InstallOutputSink(nullptr);
    InstallNetPort(nullptr);
  }
  NetPort* real = nullptr;
  std::unique_ptr<CountingNetPort> confined;
};

TEST_F(SweepWinTest, FailingArpRequestGivesNoRecord) {
  const uint32_t target = WithHostNumber(SelectLocalAddress(), 2);
  uint32_t mac[2] = {0, 0}, length = 6;
  EXPECT_NE(real->SendArp(target, 0, mac, length), 0u);  // Wine: ERROR_NOT_SUPPORTED
  DeviceTable table;
  EXPECT_EQ(ProbeThreadProc(new SweepRequest{&table, target}), 0u);
  EXPECT_TRUE(table.empty());
  PurgeArpEntries(target);  // whatever the cache holds, it must not fail
}

TEST_F(SweepWinTest, DatagramAndNeighbourTableBindings) {
  ASSERT_TRUE(real->StartSockets(2, 2));
  EXPECT_TRUE(real->SendDatagram(Ipv4FromText("127.0.0.1"), 9));
  std::vector<ArpCacheRow> rows;
  const uint32_t size = real->QueryArpTableSize();
  if (size) {
    EXPECT_TRUE(real->ReadArpTable(size + 1024, rows));
  }
  for (const ArpCacheRow& row : rows) EXPECT_NE(row.type, 0u);
  std::vector<AdapterEntry> adapters;
  if (ReadAdapterList(adapters) == 0 && !adapters.empty()) {
    const unsigned char* mac = adapters.front().hardwareAddress;
    EXPECT_TRUE(std::any_of(mac, mac + 6, [](unsigned char b) { return b != 0; }));
  }
}

TEST_F(SweepWinTest, FullSweepOfRealThreadsTogglesTheRedetectButton) {
  CountingNetPort& counting = *confined;
  counting.network = SelectLocalAddress();
  TestDialog dlg;
  BindScanViewToWindows(dlg.dialog, dlg.list);

  HANDLE sweep = StartThread(SweepThreadProc, nullptr);
  ASSERT_NE(sweep, nullptr);
  // The launcher's window calls are carried out here, on the window's own thread.
  ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(sweep, 0) == WAIT_OBJECT_0; }));
  CloseThread(sweep);
  PumpUntil([] { return true; });

  EXPECT_EQ(counting.arpCalls.load(), 253);
  EXPECT_EQ(counting.outsideNetwork.load(), 0);
  EXPECT_EQ(counting.datagrams.load(), 253 - static_cast<int>(g_deviceTable.size()));
  EXPECT_EQ(g_bSweepDone.load(), 1);
  EXPECT_EQ(g_disables.load(), 1);
  EXPECT_EQ(g_enables.load(), 1);
  EXPECT_TRUE(IsWindowEnabled(dlg.button));
  EXPECT_LE(g_deviceTable.size(), 1u);  // this computer, answered from its adapter
}

TEST_F(SweepWinTest, FullScanShowsTheSummaryInTheWindow) {
  TestDialog dlg;
  BindScanViewToWindows(dlg.dialog, dlg.list);
  ShowWindow(dlg.button, SW_HIDE);
  ASSERT_TRUE(StartScan(nullptr));
  ASSERT_TRUE(PumpUntil(ListFinished));
  PumpUntil([&] { return IsWindowEnabled(dlg.button) != FALSE; }, 10000);

  EXPECT_LE(SendMessageA(dlg.list, LVM_GETITEMCOUNT, 0, 0), 1);  // at most this computer
  EXPECT_EQ(dlg.Text(1004), "发现您的局域网有");
  EXPECT_EQ(dlg.Text(1006), "0");
  EXPECT_EQ(dlg.Text(1005), "个未知设备");
  EXPECT_TRUE(dlg.Visible(1000));
  EXPECT_FALSE(dlg.Visible(1001));
  EXPECT_TRUE(dlg.Visible(1006));
}

TEST_F(SweepWinTest, WindowClosedWhileTheScanRunsIsLeftAlone) {
  for (bool unbind : {true, false}) {
    SCOPED_TRACE(unbind ? "dialog unbinds on destruction" : "stale handles");
    ResetScanState();
    {
      std::lock_guard<std::mutex> lock(g_outputMutex);
      g_debugLines.clear();
    }
    TestDialog dlg;
    BindScanViewToWindows(dlg.dialog, dlg.list);
    ASSERT_TRUE(StartScan(nullptr));
    PumpUntil([] { return false; }, 50);  // the scan is under way
    DestroyWindow(dlg.dialog);
    if (unbind) UnbindScanView();
    // The scan runs to its end on its own, talking to no window.
    ASSERT_TRUE(PumpUntil(ListFinished));
    EXPECT_FALSE(IsWindow(dlg.list));
  }
}

}  // namespace
