// Many probes finishing together: every answering device lands in the table exactly once. Run
// under ThreadSanitizer (label "threads").
#include <chrono>

#include <gtest/gtest.h>

#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "net/list_builder.h"
#include "net/neighbour_table_reader.h"
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
    std::lock_guard<std::mutex> lock(m_redetectMutex);  // each scan's builder shows the button
    if (item != kItemRedetect || !show || m_redetect.joinable()) return;
    m_redetect = std::thread([this] {
      DeleteAllRows();
      ResetScanState();
      StartScan(nullptr);
    });
  }
  ~EagerRedetectView() override { m_redetect.join(); }

 private:
  std::mutex m_redetectMutex;
  std::thread m_redetect;
};

TEST(SweepStressTest, EveryAnsweringDeviceExactlyOnce) {
  std::mt19937 random(4);
  for (int round = 0; round < 43; ++round) {
    SCOPED_TRACE(round);
    ResetNetState();
    JitteryNetPort net;
    net.sendArpSupported = round < 40;  // the last rounds through the neighbour table
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
    if (!net.sendArpSupported) expected.insert("10.20.30.40");  // answered from its adapter
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

TEST(SweepStressTest, OneTableReaderServesEveryWaitingProbe) {
  FakeNetPort net;
  net.answerAfterReads = 3;
  std::vector<uint32_t> targets;
  for (unsigned n = 2; n <= 201; ++n) {
    targets.push_back(WithHostNumber(Ipv4FromText("10.1.2.0"), n));
    if (n % 4)
      net.devices[targets.back()] = {{0x02, 0, 0, 0, 2, static_cast<unsigned char>(n)}, ""};
    net.SendDatagram(targets.back(), 9);
  }
  InstallNetPort(&net);
  std::atomic<int> found{0}, wrong{0};
  const auto start = std::chrono::steady_clock::now();
  {
    NeighbourTableReader reader(300);
    std::vector<std::thread> probes;
    for (uint32_t target : targets)
      probes.emplace_back([&, target] {
        unsigned char mac[6];
        const bool resolved = reader.WaitForEntry(target, mac);
        const auto device = net.devices.find(target);
        found += resolved;
        wrong += resolved != (device != net.devices.end()) ||
                 (resolved && std::memcmp(mac, device->second.mac, 6) != 0);
      });
    for (std::thread& probe : probes) probe.join();
    // Shared, not one per probe: at most one read every 50 ms, however many probes wait.
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LE(reader.ReadCount(), elapsed / std::chrono::milliseconds(50) + 1);
  }
  EXPECT_EQ(found.load(), 150);
  EXPECT_EQ(wrong.load(), 0);
  InstallNetPort(nullptr);
}

// Every read takes longer than the bound: a probe still gets the first read that starts after its
// bound, and nothing later.
class SlowTableNetPort : public FakeNetPort {
 public:
  bool ReadArpTable(uint32_t size, std::vector<ArpCacheRow>& rows) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    return FakeNetPort::ReadArpTable(size, rows);
  }
};

TEST(SweepStressTest, TheBoundCountsFromTheStartOfARead) {
  for (int reads : {1, 2, 3}) {
    SCOPED_TRACE(reads);
    SlowTableNetPort net;
    net.answerAfterReads = reads;
    const uint32_t target = Ipv4FromText("10.1.2.3");
    net.devices[target] = {{0x02, 1, 2, 3, 4, 5}, ""};
    net.SendDatagram(target, 9);
    InstallNetPort(&net);
    NeighbourTableReader reader(30);
    unsigned char mac[6];
    EXPECT_EQ(reader.WaitForEntry(target, mac), reads <= 2);
    InstallNetPort(nullptr);
  }
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
    // Done when both scans have ended, their builders have written their last line and their
    // launchers have enabled the button.
    while (view.Count("ended 85") < 2 || view.Count("enable 1000") < 2 ||
           output.Count(OutputChannel::Debugger, "初始化列表完成") < 2)
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
