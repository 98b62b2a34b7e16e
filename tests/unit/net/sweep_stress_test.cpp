// Many probes finishing together: every answering device lands in the table exactly once. Run
// under ThreadSanitizer (label "threads").
#include <chrono>

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <thread>

#include "net/list_builder.h"
#include "net/scan.h"
#include "net_fakes.h"

namespace {

// Answers a random half of the network after a random short delay.
class JitteryNetPort : public FakeNetPort {
 public:
  uint32_t SendArp(uint32_t target, uint32_t source, uint32_t (&mac)[2],
                   uint32_t& length) override {
    thread_local std::mt19937 random(std::hash<std::thread::id>()(std::this_thread::get_id()));
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
    return FakeNetPort::SendArp(target, source, mac, length);
  }
};

// Presses re-detect the moment the summary shows the button, as the user-interface thread would,
// while the builder that showed it is still returning: the next probes append at once.
class EagerRedetectView : public RecordingScanView {
 public:
  void ShowItem(int item, bool show) override {
    RecordingScanView::ShowItem(item, show);
    if (item != kItemRedetect || !show || m_redetect.joinable()) return;
    m_redetect = std::thread([this] {
      DeleteAllRows();
      ResetScanState();
      StartScan(nullptr);
    });
  }
  ~EagerRedetectView() override { m_redetect.join(); }

 private:
  std::thread m_redetect;
};

TEST(SweepStressTest, EveryAnsweringDeviceExactlyOnce) {
  std::mt19937 random(4);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    ResetNetState();
    JitteryNetPort net;
    net.AddEthernet("10.20.30.40");
    net.hostNameResolves = false;
    std::set<std::string> expected;
    for (unsigned n = 2; n <= 254; ++n) {
      if (random() % 2) continue;
      FakeNetPort::Device device{{0x02, 0, 0, 0, 0, static_cast<unsigned char>(n)},
                                 n % 3 ? "dev" : ""};
      net.devices[WithHostNumber(Ipv4FromText("10.20.30.0"), n)] = device;
      expected.insert("10.20.30." + std::to_string(n));
    }
    InstallNetPort(&net);
    SweepThreadProc(nullptr);
    std::multiset<std::string> found;
    for (const DeviceRecord& record : g_deviceTable) found.insert(record.ipText);
    EXPECT_EQ(found.size(), expected.size());
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), expected);
    InstallNetPort(nullptr);
  }
  g_deviceTable.clear();
}

TEST(SweepStressTest, ScanHandsTheTableToTheListBuilder) {
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    ResetNetState();
    JitteryNetPort net;
    net.AddEthernet("10.20.30.40");
    net.hostNameResolves = false;
    for (unsigned n = 2; n <= 254; n += 3)
      net.devices[WithHostNumber(Ipv4FromText("10.20.30.0"), n)] = {
          {0x02, 0, 0, 0, 1, static_cast<unsigned char>(n)}, ""};
    InstallNetPort(&net);
    EagerRedetectView view;
    InstallScanView(&view);
    OutputCapture output;

    ASSERT_TRUE(StartScan(nullptr));
    // Done when both scans' builders have finished and their launchers have enabled the button.
    while (output.Count(OutputChannel::Debugger, "初始化列表完成") < 2 ||
           view.Count("enable 1000") < 2)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));

    std::set<std::string> rows;
    for (const auto& row : view.rows) rows.insert(row.cells[1]);
    EXPECT_EQ(view.rows.size(), 85u);
    EXPECT_EQ(rows.size(), 85u);
    EXPECT_EQ(view.texts[kItemUnknownCount], "85");
    InstallScanView(nullptr);
    InstallNetPort(nullptr);
  }
}

}  // namespace
