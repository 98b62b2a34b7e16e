#include "net/address_sweep.h"

#include <algorithm>
#include <chrono>

#include <gtest/gtest.h>

#include <map>

#include "net/row_texts.h"
#include "net_fakes.h"

namespace {

class AddressSweepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetNetState();
    net.AddEthernet("192.168.1.37");
    net.hostNameResolves = false;
    InstallNetPort(&net);
    InstallScanView(&view);
  }
  void TearDown() override {
    InstallNetPort(nullptr);
    InstallScanView(nullptr);
    g_deviceTable.clear();
  }

  void AddDevice(const char* ip, std::initializer_list<unsigned char> mac, const char* name) {
    FakeNetPort::Device device{};
    std::copy(mac.begin(), mac.end(), device.mac);
    device.name = name;
    net.devices[Ip(ip)] = device;
  }

  FakeNetPort net;
  RecordingScanView view;
  OutputCapture output;
};

TEST_F(AddressSweepTest, ProbesHostsTwoToTwoFiftyFourOfTheLocalNetworkOnly) {
  SweepThreadProc(nullptr);
  std::vector<uint32_t> asked = net.arpTargets;
  std::vector<uint32_t> expected;
  for (unsigned n = 2; n <= 254; ++n) expected.push_back(WithHostNumber(Ip("192.168.1.0"), n));
  auto lastOctet = [](uint32_t a) { return reinterpret_cast<const unsigned char*>(&a)[3]; };
  std::sort(asked.begin(), asked.end(),
            [&](uint32_t a, uint32_t b) { return lastOctet(a) < lastOctet(b); });
  EXPECT_EQ(asked, expected);  // .37 itself included; .0, .1, .255 and other networks never
  EXPECT_TRUE(
      std::all_of(net.arpLengths.begin(), net.arpLengths.end(), [](uint32_t n) { return n == 6; }));
}

TEST_F(AddressSweepTest, AnsweringDevicesBecomeRecords) {
  AddDevice("192.168.1.23", {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}, "printer");
  AddDevice("192.168.1.200", {0xff, 0xee, 0x0d, 0xc0, 0x0b, 0xa9}, "");
  SweepThreadProc(nullptr);

  ASSERT_EQ(g_deviceTable.size(), 2u);
  std::sort(g_deviceTable.begin(), g_deviceTable.end(),
            [](const DeviceRecord& a, const DeviceRecord& b) {
              return a.ipText.size() < b.ipText.size();
            });
  const DeviceRecord& printer = g_deviceTable[0];
  EXPECT_EQ(printer.macText, "00-1A-2B-3C-4D-5E");
  EXPECT_EQ(printer.hostName, "printer");
  EXPECT_EQ(printer.ipText, "192.168.1.23");
  EXPECT_EQ(printer.statusLabel, "\n标记为已知");
  const DeviceRecord& nameless = g_deviceTable[1];
  EXPECT_EQ(nameless.macText, "FF-EE-0D-C0-0B-A9");
  EXPECT_EQ(nameless.hostName, "未知主机名");
  EXPECT_EQ(nameless.ipText, "192.168.1.200");

  EXPECT_EQ(output.Count(OutputChannel::Debugger, "printer"), 1u);
  EXPECT_EQ(output.Count(OutputChannel::Debugger, "未知主机名"), 1u);
  // Sockets 2.0 for the host-name pass, then 2.2 in each answering probe.
  EXPECT_EQ(std::count(net.startVersions.begin(), net.startVersions.end(), std::make_pair(2, 2)),
            2);
}

TEST_F(AddressSweepTest, WhereSendArpIsNotSupportedTheNeighbourTableAnswers) {
  net.adapterCalls.clear();
  net.AddEthernet("192.168.1.37", {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x37});
  net.sendArpSupported = false;
  net.answerAfterReads = 2;  // the second read after its datagram holds a device's MAC
  AddDevice("192.168.1.23", {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}, "printer");
  AddDevice("192.168.1.99", {0xff, 0xff, 0xff, 0xff, 0xff, 0xff}, "broadcast");
  const auto start = std::chrono::steady_clock::now();
  SweepThreadProc(nullptr);
  const auto elapsed = std::chrono::steady_clock::now() - start;

  std::map<std::string, std::string> found;  // ip -> mac
  for (const DeviceRecord& record : g_deviceTable) found[record.ipText] = record.macText;
  // This computer from its adapter; silent addresses (zero MAC) and the broadcast MAC never.
  EXPECT_EQ(found, (std::map<std::string, std::string>{{"192.168.1.23", "00-1A-2B-3C-4D-5E"},
                                                       {"192.168.1.37", "00-1A-2B-3C-4D-37"}}));
  EXPECT_EQ(net.datagrams.size(), 252u);  // every address but this computer's
  EXPECT_EQ(std::count(net.datagrams.begin(), net.datagrams.end(), Ip("192.168.1.37")), 0);
  // One reader for 252 waiting probes: a read every 50 ms at most (and
  // the purges of the few probes that began before the first learnt that SendARP is missing).
  EXPECT_LE(net.tableReads, elapsed / std::chrono::milliseconds(50) + 8);
  EXPECT_EQ(g_bSendArpUnsupported.load(), 1);
}

TEST_F(AddressSweepTest, WhereSendArpWorksNothingButThePurgeReadsTheTable) {
  AddDevice("192.168.1.23", {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}, "printer");
  SweepThreadProc(nullptr);
  EXPECT_EQ(g_deviceTable.size(), 1u);
  EXPECT_TRUE(net.datagrams.empty());
  EXPECT_EQ(net.sizeQueries, 253);  // the purge's own, one per probe (the cache is empty)
  EXPECT_EQ(g_bSendArpUnsupported.load(), 0);
}

TEST_F(AddressSweepTest, EmptySweepStillRaisesTheFlagAndEnablesTheButtonAgain) {
  SweepThreadProc(nullptr);
  EXPECT_TRUE(g_deviceTable.empty());
  EXPECT_EQ(g_bSweepDone.load(), 1);
  EXPECT_TRUE(g_evSweepDone.Wait(0));  // the list builder is woken
  EXPECT_EQ(view.calls, (std::vector<std::string>{"disable 1000", "enable 1000"}));
}

TEST_F(AddressSweepTest, ProbeWithoutRequestEnds) {
  EXPECT_EQ(ProbeThreadProc(nullptr), 0u);
  EXPECT_TRUE(net.arpTargets.empty());
}

TEST_F(AddressSweepTest, ProbePurgesTheCachedEntryFirst) {
  AddDevice("192.168.1.23", {1, 2, 3, 4, 5, 6}, "x");
  net.arpCache = {{3, Ip("192.168.1.23")}, {3, Ip("192.168.1.24")}};
  ProbeThreadProc(new SweepRequest{&g_deviceTable, Ip("192.168.1.23")});
  ASSERT_EQ(net.deleted.size(), 1u);
  EXPECT_EQ(net.deleted[0].address, Ip("192.168.1.23"));
  EXPECT_EQ(g_deviceTable.size(), 1u);

  // Once SendARP is known to be missing, the purge (which deletes nothing there) is skipped.
  g_bSendArpUnsupported.store(1);
  ProbeThreadProc(new SweepRequest{&g_deviceTable, Ip("192.168.1.24")});
  EXPECT_EQ(net.sizeQueries, 1);
}

TEST_F(AddressSweepTest, PurgeRemovesEveryRowOfTheAddress) {
  const uint32_t target = Ip("192.168.1.23");
  struct Case {
    const char* what;
    std::vector<ArpCacheRow> cache;
    bool reads;
    int result;
    std::size_t deletions;
  } cases[] = {
      {"empty cache", {}, true, 1, 0},
      {"table cannot be read", {{1, target}}, false, 1, 0},
      {"no row for the address", {{1, Ip("192.168.1.24")}}, true, 1, 0},
      {"one row on each of two interfaces",
       {{1, target}, {2, Ip("10.0.0.1")}, {7, target}},
       true,
       0,
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeNetPort port;
    port.arpCache = c.cache;
    port.arpTableReads = c.reads;
    InstallNetPort(&port);
    EXPECT_EQ(PurgeArpEntries(target), c.result);
    ASSERT_EQ(port.deleted.size(), c.deletions);
    for (const ArpCacheRow& row : port.deleted) EXPECT_EQ(row.address, target);
    if (c.deletions == 2) {
      EXPECT_EQ(port.deleted[1].interfaceIndex, 7u);
    }
  }
}

}  // namespace
