#include "net/list_builder.h"

#include <chrono>

#include <gtest/gtest.h>

#include <new>
#include <thread>

#include "net/row_texts.h"
#include "net_fakes.h"

namespace {

DeviceRecord Device(const std::string& ip, const std::string& name = "host",
                    const std::string& label = "\n标记为已知") {
  return {name, ip, label, "00-00-00-00-00-" + ip.substr(ip.rfind('.') + 1)};
}

// What the table looked like when the merge ran, and how many rows the list had then.
DeviceTable g_seenByMerge;
std::size_t g_rowsAtMerge;
RecordingScanView* g_pView;
void RecordMerge() {
  g_seenByMerge = g_deviceTable;
  g_rowsAtMerge = g_pView->rows.size();
}

// Marks row 1 known, then fails as a registry file too large for memory makes it fail.
void MergeThatRunsOutOfMemory() {
  g_deviceTable[1].statusLabel = "\n标记为未知";
  g_deviceTable[1].hostName = "half-merged";
  throw std::bad_alloc();
}

class ListBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetNetState();
    net.AddEthernet("192.168.1.10");
    net.hostNameResolves = false;
    InstallNetPort(&net);
    InstallScanView(&view);
    g_pView = &view;
    g_seenByMerge.clear();
    g_rowsAtMerge = 99;
    InstallMergeStep(RecordMerge);
  }
  void TearDown() override {
    InstallMergeStep(nullptr);
    InstallNetPort(nullptr);
    InstallScanView(nullptr);
    g_deviceTable.clear();
    g_bSweepDone.store(0);
  }

  // Runs the builder on a finished sweep of the network the launcher chose.
  void Build(const DeviceTable& table) {
    ChooseNetworkForScan();
    output.Clear();  // the launcher's line
    g_deviceTable = table;
    g_bSweepDone.store(1);
    EXPECT_EQ(ListBuildThreadProc(nullptr), 0u);
  }

  FakeNetPort net;
  RecordingScanView view;
  OutputCapture output;
};

TEST_F(ListBuilderTest, LocalComputerMovesToRowZeroAsThisComputer) {
  DeviceTable table;
  for (const char* ip : {"192.168.1.2", "192.168.1.3", "192.168.1.4", "192.168.1.5", "192.168.1.6"})
    table.push_back(Device(ip));
  struct Case {
    const char* what;
    std::size_t localAt;  // npos: the local computer did not answer
    const char* first;    // ip of row 0 afterwards
    std::size_t movedTo;  // where the former row 0 went
  } cases[] = {
      {"found sixth", 5, "192.168.1.10", 5},
      {"already first", 0, "192.168.1.10", 0},
      {"absent", std::string::npos, "192.168.1.2", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeviceTable sweep = table;
    if (c.localAt != std::string::npos)
      sweep.insert(sweep.begin() + c.localAt, Device("192.168.1.10", "me"));
    const DeviceTable before = sweep;
    Build(sweep);
    ASSERT_EQ(g_seenByMerge.size(), sweep.size());
    EXPECT_EQ(g_seenByMerge[0].ipText, c.first);
    if (c.localAt != std::string::npos) {
      EXPECT_EQ(g_seenByMerge[0].statusLabel, "\n本机");
      EXPECT_EQ(g_seenByMerge[0].hostName, "me");
      EXPECT_EQ(g_seenByMerge[0].macText, "00-00-00-00-00-10");
      if (c.movedTo != 0) {
        const DeviceRecord& moved = g_seenByMerge[c.movedTo];
        EXPECT_EQ(moved.ipText, before[0].ipText);
        EXPECT_EQ(moved.hostName, before[0].hostName);
        EXPECT_EQ(moved.statusLabel, before[0].statusLabel);
        EXPECT_EQ(moved.macText, before[0].macText);
      }
    } else {
      EXPECT_EQ(g_seenByMerge[0].statusLabel, "\n标记为已知");
    }
    EXPECT_EQ(g_rowsAtMerge, 0u);  // the merge runs before any row is inserted
    view.rows.clear();
  }
}

TEST_F(ListBuilderTest, LongerAddressSharingThePrefixIsNotTheLocalComputer) {
  Build({Device("192.168.1.100", "other"), Device("192.168.1.10", "me")});
  EXPECT_EQ(g_seenByMerge[0].ipText, "192.168.1.10");
  EXPECT_EQ(g_seenByMerge[1].ipText, "192.168.1.100");
  EXPECT_EQ(g_seenByMerge[1].statusLabel, "\n标记为已知");
}

TEST_F(ListBuilderTest, ThisComputersRowTakesItsOwnNameWhenNoLookupNamedIt) {
  net.hostName = "DESKTOP-7Q2L9";
  Build({Device("192.168.1.7", "未知主机名"), Device("192.168.1.10", "未知主机名")});
  EXPECT_EQ(g_seenByMerge[0].hostName, "DESKTOP-7Q2L9");
  EXPECT_EQ(g_seenByMerge[1].hostName, "未知主机名");
  Build({Device("192.168.1.10", "me")});
  EXPECT_EQ(g_seenByMerge[0].hostName, "me");
}

TEST_F(ListBuilderTest, RowsCarryTheCellTextsInTableOrder) {
  Build({Device("192.168.1.7", "printer"), Device("192.168.1.10", "me")});
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0].cells[0], "\n当前电脑\n\n主机名: me");
  EXPECT_EQ(view.rows[0].cells[1], "\nMAC地址:00-00-00-00-00-10\n\nIP地址: 192.168.1.10");
  EXPECT_EQ(view.rows[0].cells[2], "\n\n本机");
  EXPECT_EQ(view.rows[1].cells[0], "\n当前电脑\n\n主机名: printer");
  EXPECT_EQ(view.rows[1].cells[2], "\n\n标记为已知");
  EXPECT_EQ(view.rows[1].image, 0);
  const std::vector<std::string> firstRow(view.calls.begin(), view.calls.begin() + 4);
  EXPECT_EQ(firstRow, (std::vector<std::string>{"insert 0", "cell 0,1", "text 0,2", "repaint"}));
  EXPECT_TRUE(g_deviceTable.empty());  // the rows are the only copy now
}

TEST_F(ListBuilderTest, SummaryCountsDevicesNotYetKnown) {
  Build({Device("192.168.1.2"), Device("192.168.1.3"), Device("192.168.1.4"),
         Device("192.168.1.5", "nas", "\n标记为未知"), Device("192.168.1.10", "me")});
  EXPECT_EQ(view.texts[kItemSummaryPrefix], "发现您的局域网有");
  EXPECT_EQ(view.texts[kItemUnknownCount], "3");
  EXPECT_EQ(view.texts[kItemSummarySuffix], "个未知设备");
  // The scan run ends last, and the button comes back with its end.
  const std::vector<std::string> tail(view.calls.end() - 10, view.calls.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"invalidate", "hide 1001", "settext 1004", "show 1004",
                                            "settext 1005", "show 1005", "settext 1006",
                                            "show 1006", "show 1000", "ended 3"}));
}

TEST_F(ListBuilderTest, FailedMergeLeavesTheSweepTextsAndStillShowsTheSummary) {
  InstallMergeStep(MergeThatRunsOutOfMemory);
  Build({Device("192.168.1.10", "me"), Device("192.168.1.2", "printer"), Device("192.168.1.3")});
  ASSERT_EQ(view.rows.size(), 3u);
  EXPECT_EQ(view.rows[1].cells[0], "\n当前电脑\n\n主机名: printer");
  EXPECT_EQ(view.texts[kItemUnknownCount], "2");
  EXPECT_TRUE(view.shown[kItemRedetect]);
}

TEST_F(ListBuilderTest, DialUpAloneOrAnEmptySweepGivesAnEmptyListAndZero) {
  struct Case {
    const char* what;
    std::vector<AdapterEntry> adapters;
    DeviceTable table;
    std::size_t rows;
  } cases[] = {
      {"dial-up alone", {{23, "10.64.0.7"}}, {Device("192.168.1.2"), Device("192.168.1.10")}, 0},
      {"a VPN beside the LAN",
       {{6, "192.168.1.10"}, {23, "10.64.0.7"}},
       {Device("192.168.1.2"), Device("192.168.1.10")},
       2},
      {"nobody answered", {{6, "192.168.1.10"}, {71, "x"}}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeNetPort port;
    port.adapterCalls.push_back({0, 0, c.adapters});
    InstallNetPort(&port);
    view.rows.clear();
    Build(c.table);
    ASSERT_EQ(view.rows.size(), c.rows);
    if (c.rows) {
      EXPECT_EQ(view.rows[0].cells[2], "\n\n本机");
    }
    EXPECT_EQ(view.texts[kItemUnknownCount], c.rows ? "1" : "0");
    EXPECT_TRUE(view.shown[kItemRedetect]);
    EXPECT_FALSE(view.shown[kItemStatusText]);
  }
}

TEST_F(ListBuilderTest, HostNamesAreCutToWholeCharactersOfAtMostSixteenBytes) {
  struct Case {
    std::string name, shown;
  } cases[] = {
      {"exactly-16-bytes", "exactly-16-bytes"},
      {"seventeen-bytes-x", "seventeen-bytes-"},
      {"0123456789abcdefghij", "0123456789abcdef"},
      {"打印机打印机打印机", "打印机打印机打印"},  // 18 bytes: the 9th character goes whole
      {"a打印机打印机打印机", "a打印机打印机打"},  // 19 bytes: a byte cut would split 印
      {"abc", "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ShortenHostName(c.name), c.shown);
  }
  Build({Device("192.168.1.2", "a打印机打印机打印机")});
  EXPECT_EQ(view.rows[0].cells[0], "\n当前电脑\n\n主机名: a打印机打印机打");
}

TEST_F(ListBuilderTest, WritesItsProgressLinesInOrder) {
  Build({});
  const std::vector<std::string> lines = output.Of(OutputChannel::Debugger);
  EXPECT_EQ(lines, (std::vector<std::string>{"---------线程循环---------",
                                             "---------进入线程---------", "初始化列表完成"}));
}

TEST_F(ListBuilderTest, WaitsForTheSweepWithoutSpinning) {
  std::thread builder([] { ListBuildThreadProc(nullptr); });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  // A spinning builder writes "一直循环" millions of times in half a second.
  const std::size_t loops = output.Count(OutputChannel::Debugger, "一直循环");
  EXPECT_GE(loops, 1u);
  EXPECT_LE(loops, 10u);
  EXPECT_TRUE(view.calls.empty());  // nothing happens before the flag rises

  g_deviceTable = {Device("192.168.1.2")};
  g_bSweepDone.store(1);
  g_evSweepDone.Set();
  builder.join();
  EXPECT_EQ(view.rows.size(), 1u);
}

TEST_F(ListBuilderTest, NoticesTheFlagEvenWithoutTheWakeUp) {
  std::thread builder([] { ListBuildThreadProc(nullptr); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  g_bSweepDone.store(1);  // raised by someone who does not signal
  builder.join();
  EXPECT_EQ(view.texts[kItemUnknownCount], "0");
}

}  // namespace
