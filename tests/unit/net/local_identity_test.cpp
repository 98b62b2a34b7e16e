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

// The scan's network over machine shapes. Adapters are listed in binding order; the host name
// resolves as Windows answers it, to the first adapter bound, not by route.
TEST_F(LocalIdentityTest, TheScanFollowsTheAdapterThatReachesTheRouter) {
  auto adapter = [](uint32_t type, const char* ip, uint32_t index, const char* gateway = "",
                    const char* name = "") {
    AdapterEntry a{type, ip};
    a.interfaceIndex = index;
    a.gatewayText = gateway;
    a.description = name;
    return a;
  };
  const AdapterEntry vbox = adapter(6, "192.168.56.1", 9, "0.0.0.0");
  const AdapterEntry wifi = adapter(71, "192.168.1.23", 12, "192.168.1.1");
  const AdapterEntry lan = adapter(6, "10.0.0.8", 4, "10.0.0.1");
  const AdapterEntry vEthernet = adapter(6, "172.27.16.1", 30);
  const AdapterEntry ppp = adapter(23, "10.64.0.7", 40, "10.64.0.7");
  const DefaultRoute wifiRoute{12, 35}, lanRoute{4, 25}, pppRoute{40, 1};
  struct Case {
    const char* what;
    std::vector<AdapterEntry> adapters;
    std::vector<DefaultRoute> routes;
    const char* hostAddress;  // nullptr: the own name does not resolve
    const char* expected;
    bool candidate = true;  // whether the chosen address is a candidate's
    uint32_t picked = 0;
    bool routesReadable = true;
  } cases[] = {
      {"VirtualBox host-only bound first",
       {vbox, wifi},
       {wifiRoute},
       "192.168.56.1",
       "192.168.1.23"},
      {"Hyper-V switch bound first", {vEthernet, lan}, {lanRoute}, "172.27.16.1", "10.0.0.8"},
      {"Wi-Fi with a dial-up VPN", {wifi, ppp}, {pppRoute, wifiRoute}, nullptr, "192.168.1.23"},
      {"own name on a loopback alias", {wifi}, {wifiRoute}, "127.0.1.1", "192.168.1.23"},
      {"one network with a gateway", {wifi}, {wifiRoute}, "192.168.1.23", "192.168.1.23"},
      {"two adapters, no gateway",
       {vEthernet, adapter(6, "10.1.1.5", 5)},
       {},
       "10.1.1.5",
       "10.1.1.5"},
      {"no gateway, own name elsewhere",
       {vEthernet, adapter(6, "10.1.1.5", 5)},
       {},
       "127.0.1.1",
       "172.27.16.1"},
      {"dial-up alone", {ppp}, {pppRoute}, nullptr, "255.255.255.255", false},
      {"another type and unusable first addresses",
       {adapter(24, "10.9.9.9", 1, "10.9.9.1"), adapter(6, "0.0.0.0", 2, "10.0.0.1"),
        adapter(6, "127.0.0.2", 3, "10.0.0.1"), adapter(71, "169.254.7.7", 5, "10.0.0.1")},
       {},
       "10.9.9.9",
       "10.9.9.9",
       false},
      {"lowest metric wins", {wifi, lan}, {wifiRoute, lanRoute}, "172.27.16.1", "10.0.0.8"},
      {"a gateway without a route row ranks last",
       {lan, wifi},
       {wifiRoute},
       "127.0.1.1",
       "192.168.1.23"},
      {"unreadable routes: first with a gateway",
       {vbox, lan, wifi},
       {},
       nullptr,
       "10.0.0.8",
       true,
       0,
       false},
      {"the user's pick", {vbox, wifi}, {wifiRoute}, "192.168.56.1", "192.168.56.1", true, 9},
      {"the user's pick has gone", {wifi}, {wifiRoute}, "192.168.1.23", "192.168.1.23", true, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetNetState();
    FakeNetPort port;
    InstallNetPort(&port);
    if (c.picked) PickAdapterForRun(c.picked);
    port.adapterCalls.push_back({0, 0, c.adapters});
    port.defaultRoutes = c.routes;
    port.routesReadable = c.routesReadable;
    port.hostNameResolves = c.hostAddress != nullptr;
    if (c.hostAddress) port.hostAddress = Ip(c.hostAddress);
    output.Clear();
    EXPECT_EQ(Ipv4ToText(ChooseNetworkForScan()), c.expected);
    EXPECT_EQ(LatestScanNetwork().candidate >= 0, c.candidate);
    const std::vector<std::string> debug = output.Of(OutputChannel::Debugger);
    EXPECT_EQ(debug.back(), std::string("扫描网络：") + c.expected + "\n");
  }
}

TEST_F(LocalIdentityTest, NetworkMenuEntriesNameTheNetworkAndTheAdapter) {
  // 16 bytes of network and blanks, 47 of name: the 64-byte cut falls inside what comes next.
  const std::string name47(47, 'x');
  const std::vector<NetworkCandidate> candidates = {
      {Ip("192.168.1.23"), 12, true, "R&D Wi-Fi"},
      {Ip("192.168.3.5"), 9, false, name47 + "&"},
      {Ip("192.168.4.5"), 10, false, name47 + "\xC1\xAA"},
      {Ip("192.168.5.5"), 11, false, name47 + "y&"},
  };
  const std::vector<NetworkMenuEntry> entries =
      NetworkMenuEntries(candidates, ScanNetwork{Ip("192.168.3.5"), 1, 9});
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].label, "192.168.1.0/24  R&&D Wi-Fi");
  EXPECT_EQ(entries[1].label, "192.168.3.0/24  " + name47);  // not half of "&&"
  EXPECT_EQ(entries[2].label, "192.168.4.0/24  " + name47);  // not half of a character
  EXPECT_EQ(entries[3].label, "192.168.5.0/24  " + name47 + "y");
  const bool checked[] = {false, true, false, false};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(entries[i].checked, checked[i]) << i;
}

}  // namespace
