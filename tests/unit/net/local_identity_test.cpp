#include "net/local_identity.h"

#include <gtest/gtest.h>

#include "net_fakes.h"

namespace {

class LocalIdentityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetNetState();
    InstallNetPort(&net);
  }
  void TearDown() override { InstallNetPort(nullptr); }

  std::vector<std::string> Printed() const { return output.Of(OutputChannel::StandardOutput); }

  FakeNetPort net;
  OutputCapture output;
};

TEST_F(LocalIdentityTest, LastEthernetAdapterSuppliesTheAddressAndEachAdapterPrintsItsType) {
  net.adapterCalls.push_back({0, 0, {{6, "10.0.0.5"}, {71, "172.16.0.9"}, {6, "192.168.1.37"}}});
  EXPECT_EQ(GetAdapterAddress(), Ip("192.168.1.37"));
  EXPECT_EQ(g_dwLocalAddress, Ip("192.168.1.37"));
  EXPECT_EQ(g_strAdapterAddress, "192.168.1.37");
  EXPECT_EQ(g_bPppAdapter, 0);
  EXPECT_EQ(Printed(),
            (std::vector<std::string>{"Adapter Type: \tEthernet\n", "Adapter Type: \tUnknow\n",
                                      "Adapter Type: \tEthernet\n"}));
}

TEST_F(LocalIdentityTest, EthernetListedLastWithoutAddressReplacesTheEarlierOne) {
  net.adapterCalls.push_back({0, 0, {{6, "192.168.1.37"}, {6, "0.0.0.0"}}});
  EXPECT_EQ(GetAdapterAddress(), 0u);
  EXPECT_EQ(g_strAdapterAddress, "0.0.0.0");
}

TEST_F(LocalIdentityTest, PppAdapterSetsTheFlagAndSelectionSkipsTheHostName) {
  net.adapterCalls.push_back({0, 0, {{23, "10.64.0.1"}, {6, "192.168.1.37"}}});
  net.hostAddress = Ip("192.168.7.7");
  EXPECT_EQ(SelectLocalAddress(), Ip("192.168.1.37"));
  EXPECT_EQ(g_bPppAdapter, 1);
  EXPECT_EQ(net.startCalls, 0);
  EXPECT_EQ(net.resolveCalls, 0);
  EXPECT_EQ(Printed().front(), "Adapter Type: \tPPP\n");
}

TEST_F(LocalIdentityTest, PppInOnePassAndNotTheNextClearsTheFlag) {
  net.adapterCalls.push_back({0, 0, {{23, "10.64.0.1"}, {6, "192.168.1.37"}}});
  net.adapterCalls.push_back({0, 0, {{23, "10.64.0.1"}, {6, "192.168.1.37"}}});
  net.adapterCalls.push_back({0, 0, {{6, "192.168.1.37"}}});
  GetAdapterAddress();  // the first two calls belong to this pass
  ASSERT_EQ(g_bPppAdapter, 1);
  GetAdapterAddress();
  EXPECT_EQ(g_bPppAdapter, 0);
}

TEST_F(LocalIdentityTest, OverflowRetriesWithTheReportedSize) {
  net.adapterCalls.push_back({NetPort::kBufferOverflow, 1944, {}});
  net.adapterCalls.push_back({0, 0, {{6, "192.168.1.37"}}});
  EXPECT_EQ(GetAdapterAddress(), Ip("192.168.1.37"));
  EXPECT_EQ(net.adapterBufferSizes, (std::vector<uint32_t>{648, 1944}));
}

TEST_F(LocalIdentityTest, SecondCallIsMadeEvenWhenTheFirstSucceeded) {
  net.AddEthernet("192.168.1.37");
  GetAdapterAddress();
  EXPECT_EQ(net.adapterBufferSizes, (std::vector<uint32_t>{648, 648}));
}

TEST_F(LocalIdentityTest, UnreadableAdapterListKeepsTheEarlierAddressText) {
  net.AddEthernet("192.168.1.37");
  GetAdapterAddress();
  net.adapterCalls = {{31, 0, {}}};  // every further call fails
  output.Clear();
  EXPECT_EQ(GetAdapterAddress(), Ip("192.168.1.37"));
  EXPECT_EQ(g_bPppAdapter, 0);
  EXPECT_EQ(Printed(), std::vector<std::string>{"Call to GetAdaptersInfo failed.\n"});
}

TEST_F(LocalIdentityTest, NoEthernetOnTheFirstPassGivesNoValidAddress) {
  net.adapterCalls.push_back({0, 0, {{71, "10.1.1.1"}}});
  EXPECT_EQ(GetAdapterAddress(), kInvalidAddress);
}

TEST_F(LocalIdentityTest, HostNameWinsWithoutPpp) {
  net.AddEthernet("192.168.1.37");
  net.hostAddress = Ip("192.168.1.40");
  EXPECT_EQ(SelectLocalAddress(), Ip("192.168.1.40"));
  EXPECT_EQ(g_dwLocalAddress, Ip("192.168.1.40"));
  EXPECT_EQ(net.startVersions, (std::vector<std::pair<int, int>>{{2, 0}}));
  EXPECT_EQ(net.cleanupCalls, 1);
}

TEST_F(LocalIdentityTest, HostNamePassFailuresKeepTheAdapterAddress) {
  struct Case {
    const char* what;
    bool starts, reads, resolves;
    int cleanups;
  } cases[] = {
      {"startup fails", false, true, true, 0},
      {"gethostname fails", true, false, true, 1},
      {"gethostbyname fails", true, true, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeNetPort port;
    InstallNetPort(&port);
    port.AddEthernet("192.168.1.37");
    port.hostAddress = Ip("192.168.1.40");
    port.socketsStart = c.starts;
    port.hostNameReads = c.reads;
    port.hostNameResolves = c.resolves;
    EXPECT_EQ(SelectLocalAddress(), Ip("192.168.1.37"));
    EXPECT_EQ(port.cleanupCalls, c.cleanups);
  }
}

}  // namespace
