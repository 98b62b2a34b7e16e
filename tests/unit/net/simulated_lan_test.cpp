#include "sim/simulated_lan.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "net/list_builder.h"
#include "net/name_sources.h"
#include "net/neighbour_table_reader.h"
#include "net/row_texts.h"
#include "net_fakes.h"

namespace {

void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value ? value : "");
#else
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

// One whole scan, sweep and list, on the simulated LAN just installed, which it then removes.
void ScanWithTheInstalledLan(RecordingScanView& view) {
  InstallScanView(&view);
  SweepThreadProc(nullptr);
  ListBuildThreadProc(nullptr);
  InstallScanView(nullptr);
  InstallNetPort(nullptr);
}

const char kScenario[] =
    "# a small office\n"
    "adapter 6 10.0.5.3\n"
    "adapter 23 10.64.0.1   # dial-up\n"
    "adapter 6 192.168.4.20\n"
    "adapter 71 192.168.1.23 F4-8C-50-11-22-33 gateway=192.168.1.1 metric=35 name=Intel(R)_Wi-Fi\n"
    "adapter 6 192.168.9.2 gateway=192.168.9.1\n"
    "hostname OFFICE-PC 192.168.4.20\n"
    "silence 5\n"
    "device 192.168.4.20 00-1A-2B-3C-4D-5E 1 OFFICE-PC\n"
    "device 192.168.4.9 AA-BB-CC-DD-EE-0F 3\n";

TEST(SimulatedLanTest, ReadsEveryDirective) {
  SimScenario s;
  std::string error;
  ASSERT_TRUE(ParseScenario(kScenario, s, &error)) << error;
  ASSERT_EQ(s.adapters.size(), 5u);
  EXPECT_EQ(s.adapters[1].type, 23u);
  EXPECT_EQ(s.adapters[2].firstIpText, "192.168.4.20");
  EXPECT_EQ(s.adapters[2].gatewayText, "");
  EXPECT_EQ(s.adapters[3].interfaceIndex, 4u);
  EXPECT_EQ(s.adapters[3].gatewayText, "192.168.1.1");
  EXPECT_EQ(s.adapters[3].description, "Intel(R) Wi-Fi");
  EXPECT_EQ(s.adapters[3].hardwareAddress[5], 0x33);
  ASSERT_EQ(s.defaultRoutes.size(), 2u);  // only the adapters with a gateway have one
  EXPECT_EQ(s.defaultRoutes[0].interfaceIndex, 4u);
  EXPECT_EQ(s.defaultRoutes[0].metric, 35u);
  EXPECT_EQ(s.defaultRoutes[1].interfaceIndex, 5u);
  EXPECT_EQ(s.defaultRoutes[1].metric, 0u);
  EXPECT_EQ(s.hostName, "OFFICE-PC");
  EXPECT_TRUE(s.hostNameResolves);
  EXPECT_EQ(s.hostAddress, Ip("192.168.4.20"));
  EXPECT_EQ(s.silenceMs, 5u);
  ASSERT_EQ(s.devices.size(), 2u);
  EXPECT_EQ(s.devices[1].mac[5], 0x0F);
  EXPECT_EQ(s.devices[1].latencyMs, 3u);
  EXPECT_EQ(s.devices[1].name, "");
}

TEST(SimulatedLanTest, RejectsLinesItCannotRead) {
  for (const char* line :
       {"device 1.2.3.4 00-11-22-33-44 5", "device 1.2.3.4 00-11-22-33-44-55 fast",
        "adapter six 1.2.3.4", "adapter 6 1.2.3.4 gateway=x", "adapter 6 1.2.3.4 metric=-1",
        "adapter 6 1.2.3.4 gateway=1.2.3.1 00-11-22-33-44-55", "hostname only", "gateway 1.2.3.4",
        "device x 00-11-22-33-44-55 1", "device 1.2.3.4 00-11-22-33-44-55 1 a b",
        "device 1.2.3.4 00-11-22-33-44-55 1 mdns=",
        "device 1.2.3.4 00-11-22-33-44-55 1 netbios=SIXTEEN-BYTES-NM",
        "device 1.2.3.4 00-11-22-33-44-55 1 joins=0",
        "device 1.2.3.4 00-11-22-33-44-55 1 joins="}) {
    SCOPED_TRACE(line);
    SimScenario s;
    std::string error;
    EXPECT_FALSE(ParseScenario(line, s, &error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
  }
  SimScenario s;
  EXPECT_TRUE(ParseScenario("hostname BOX -\n\n   # nothing\n", s));
  EXPECT_FALSE(s.hostNameResolves);
}

TEST(SimulatedLanTest, DemoLanHasADozenDevicesOneOfThemThisComputer) {
  const SimScenario demo = DemoScenario();
  EXPECT_EQ(demo.devices.size(), 12u);
  std::size_t named = 0, local = 0;
  std::set<unsigned> latencies;
  for (const SimDevice& d : demo.devices) {
    named += !d.name.empty();
    local += d.address == demo.hostAddress;
    latencies.insert(d.latencyMs);
  }
  EXPECT_GT(named, 3u);
  EXPECT_LT(named, 12u);
  EXPECT_EQ(local, 1u);
  EXPECT_GT(latencies.size(), 6u);
}

TEST(SimulatedLanTest, PortFollowsTheSystemsProtocol) {
  SimScenario s;
  ASSERT_TRUE(ParseScenario(kScenario, s));
  auto port = MakeSimulatedNetPort(s);
  std::vector<AdapterEntry> adapters;
  uint32_t size = 648;
  EXPECT_EQ(port->ReadAdapters(size, adapters), NetPort::kBufferOverflow);
  EXPECT_GT(size, 648u);
  EXPECT_EQ(port->ReadAdapters(size, adapters), 0u);
  EXPECT_EQ(adapters.size(), 5u);
  std::vector<DefaultRoute> routes;
  EXPECT_TRUE(port->ReadDefaultRoutes(routes));
  EXPECT_EQ(routes.size(), 2u);

  uint32_t mac[2] = {0xFFFFFFFF, 0xFFFFFFFF}, length = 6;
  EXPECT_NE(port->SendArp(Ip("192.168.4.10"), 0, mac, length), 0u);  // silent
  EXPECT_EQ(port->SendArp(Ip("192.168.4.9"), 0, mac, length), 0u);
  EXPECT_EQ(reinterpret_cast<unsigned char*>(mac)[5], 0x0F);
  std::string name;
  EXPECT_FALSE(port->ResolveHostName(Ip("192.168.4.9"), name));
  EXPECT_TRUE(port->ResolveHostName(Ip("192.168.4.20"), name));
  EXPECT_EQ(name, "OFFICE-PC");

  // The answer went into the ARP cache, from which a purge removes it.
  std::vector<ArpCacheRow> rows;
  ASSERT_TRUE(port->ReadArpTable(port->QueryArpTableSize(), rows));
  ASSERT_EQ(rows.size(), 1u);
  port->DeleteArpEntry(rows[0]);
  EXPECT_EQ(port->QueryArpTableSize(), 0u);
}

TEST(SimulatedLanTest, WithoutSendArpTheNeighbourTableBehavesAsWines) {
  SimScenario s;
  ASSERT_TRUE(
      ParseScenario("sendarp unsupported\nadapter 6 192.168.4.20 00-1A-2B-3C-4D-5E\n"
                    "device 192.168.4.9 AA-BB-CC-DD-EE-0F 0\n",
                    s));
  EXPECT_EQ(s.adapters[0].hardwareAddress[5], 0x5E);
  auto port = MakeSimulatedNetPort(s);
  uint32_t mac[2], length = 6;
  EXPECT_EQ(port->SendArp(Ip("192.168.4.9"), 0, mac, length), NetPort::kNotSupported);
  for (const char* ip : {"192.168.4.9", "192.168.4.10", "192.168.4.20"})
    port->SendDatagram(Ip(ip), 9);

  std::vector<ArpCacheRow> rows;
  ASSERT_TRUE(port->ReadArpTable(port->QueryArpTableSize(), rows));
  ASSERT_EQ(rows.size(), 2u);  // none for this computer's own address
  EXPECT_EQ(rows[0].hardwareAddress[5], 0x0F);
  EXPECT_EQ(rows[1].address, Ip("192.168.4.10"));
  EXPECT_FALSE(IsResolvedHardwareAddress(rows[1].hardwareAddress));  // silent: all zero
  port->DeleteArpEntry(rows[0]);
  EXPECT_EQ(port->QueryArpTableSize(), 4 + 2 * 24u);  // deletions do nothing there
}

// Each sweep asks each address once; a device that joins at sweep 2 is silent to the first request.
TEST(SimulatedLanTest, ADeviceThatJoinsLaterAnswersFromItsSweepOn) {
  for (const char* mode : {"", "sendarp unsupported\n"}) {
    SimScenario s;
    ASSERT_TRUE(ParseScenario(std::string(mode) +
                                  "adapter 6 192.168.4.20\nsilence 0\n"
                                  "device 192.168.4.9 AA-BB-CC-DD-EE-0F 0 printer joins=2\n",
                              s));
    EXPECT_EQ(s.devices[0].joinsAtSweep, 2u);
    EXPECT_EQ(s.devices[0].name, "printer");
    auto port = MakeSimulatedNetPort(s);
    std::vector<bool> answered;
    for (int sweep = 1; sweep <= 3; ++sweep) {
      uint32_t mac[2] = {}, length = 6;
      bool found = port->SendArp(Ip("192.168.4.9"), 0, mac, length) == 0;
      if (!s.sendArpSupported) {
        port->SendDatagram(Ip("192.168.4.9"), 9);
        std::vector<ArpCacheRow> rows;
        found = port->ReadArpTable(port->QueryArpTableSize(), rows) && rows.size() == 1 &&
                IsResolvedHardwareAddress(rows[0].hardwareAddress);
      }
      answered.push_back(found);
    }
    EXPECT_EQ(answered, (std::vector<bool>{false, true, true})) << mode;
  }
}

TEST(SimulatedLanTest, ScanOfTheScenarioNamedByTheEnvironment) {
  ResetNetState();
  const std::string path = ::testing::TempDir() + "tarnlook_sim_lan.txt";
  std::ofstream(path) << "adapter 6 192.168.4.20\nhostname OFFICE-PC 192.168.4.20\nsilence 5\n"
                         "device 192.168.4.20 00-1A-2B-3C-4D-5E 1 OFFICE-PC\n"
                         "device 192.168.4.9 AA-BB-CC-DD-EE-0F 3\n";
  SetEnv("TARNLOOK_SIM_LAN", path.c_str());
  EXPECT_TRUE(InstallSimulatedLan());
  SetEnv("TARNLOOK_SIM_LAN", nullptr);
  std::remove(path.c_str());

  RecordingScanView view;
  ScanWithTheInstalledLan(view);

  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0].cells[0], "\n当前电脑\n\n主机名: OFFICE-PC");
  EXPECT_EQ(view.rows[0].cells[2], "\n\n本机");
  EXPECT_EQ(view.rows[1].cells[0], "\n当前电脑\n\n主机名: 未知主机名");
  EXPECT_EQ(view.texts[kItemUnknownCount], "1");
}

// Devices that reverse DNS cannot name answer the probe's own questions; the ranking and the code
// page decide the row's name, and the side table says where it came from.
TEST(SimulatedLanTest, DevicesWithoutDnsNamesNameThemselves) {
  ResetNetState();
  SimScenario scenario;
  ASSERT_TRUE(
      ParseScenario("adapter 6 192.168.4.20\nhostname OFFICE-PC 192.168.4.20\nsilence 5\n"
                    "device 192.168.4.20 00-00-00-00-00-20 1 OFFICE-PC\n"
                    "device 192.168.4.9 00-00-00-00-00-09 1 mdns=\xe5\xae\xa2\xe5\x8e\x85\n"
                    "device 192.168.4.10 00-00-00-00-00-10 1 netbios=NAS-BOX\n"
                    "device 192.168.4.11 00-00-00-00-00-11 1 mdns=macbook netbios=MACBOOK\n"
                    "device 192.168.4.12 00-00-00-00-00-12 1 printer mdns=other netbios=OTHER\n"
                    "device 192.168.4.13 00-00-00-00-00-13 1 netbios=BAER mdns=B\xc3\xa4r\n"
                    "device 192.168.4.14 00-00-00-00-00-14 1 mdns=B\xc3\xa4r\n"
                    "device 192.168.4.15 00-00-00-00-00-15 1\n"
                    "device 192.168.4.16 00-00-00-00-00-16 1 files\x7f.lan netbios=财务电脑\n",
                    scenario));
  InstallSimulatedLan(scenario);
  RecordingScanView view;
  ScanWithTheInstalledLan(view);

  const std::map<std::string, std::pair<std::string, NameSource>> expected = {
      {"20", {"OFFICE-PC", NameSource::kDns}},   {"09", {"客厅", NameSource::kMdns}},
      {"10", {"NAS-BOX", NameSource::kNetbios}}, {"11", {"macbook", NameSource::kMdns}},
      {"12", {"printer", NameSource::kDns}},     {"13", {"BAER", NameSource::kNetbios}},
      {"14", {"B?r", NameSource::kMdns}},        {"15", {"未知主机名", NameSource::kNone}},
      {"16", {"财务电脑", NameSource::kNetbios}}};  // its reverse name breaks the rules
  ASSERT_EQ(view.rows.size(), expected.size());
  for (const auto& row : view.rows) {
    const std::string mac = row.cells[1].substr(row.cells[1].find(':') + 1, 17);
    const auto& [name, source] = expected.at(mac.substr(15));
    EXPECT_EQ(row.cells[0], "\n当前电脑\n\n主机名: " + name) << mac;
    EXPECT_EQ(NameSourceOf(IpTextFromCell(row.cells[1]), mac, name), source) << mac;
  }
}

TEST(SimulatedLanTest, UnreadableScenarioFallsBackToTheDemoLan) {
  SetEnv("TARNLOOK_SIM_LAN", "/nonexistent/lan.txt");
  EXPECT_FALSE(InstallSimulatedLan());
  SetEnv("TARNLOOK_SIM_LAN", nullptr);
  std::vector<AdapterEntry> adapters;
  uint32_t size = 100000;
  EXPECT_EQ(CurrentNetPort().ReadAdapters(size, adapters), 0u);
  EXPECT_FALSE(adapters.empty());
  InstallNetPort(nullptr);
}

}  // namespace
