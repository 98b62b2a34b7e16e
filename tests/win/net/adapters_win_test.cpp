// The Win32 net port's adapter list against the real system. Reading the adapter list sends
// nothing, so this suite runs outside a network namespace, where Wine reports the machine's
// interfaces (enough of them that one record's room overflows).
#include <windows.h>
#include <winsock2.h>
#include <gtest/gtest.h>
#include <iphlpapi.h>

#include <mutex>
#include <string>
#include <vector>

#include "net/address_text.h"
#include "net/local_identity.h"
#include "platform/debug_output.h"
#include "platform/net_port.h"

namespace {

std::mutex g_mutex;
std::vector<std::string> g_printed;
void Capture(OutputChannel channel, const char* text) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (channel == OutputChannel::StandardOutput) g_printed.push_back(text);
}

// The adapter list read straight from the system with a buffer large enough at once.
std::vector<AdapterEntry> SystemAdapters() {
  ULONG size = 64 * 1024;
  std::vector<unsigned char> buffer(size);
  auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  std::vector<AdapterEntry> list;
  if (GetAdaptersInfo(first, &size) != ERROR_SUCCESS) return list;
  for (const IP_ADAPTER_INFO* a = first; a; a = a->Next)
    list.push_back({a->Type, a->IpAddressList.IpAddress.String});
  return list;
}

class AdaptersWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallWin32NetPort();
    g_printed.clear();
    InstallOutputSink(Capture);
  }
  void TearDown() override {
    InstallOutputSink(nullptr);
    InstallNetPort(nullptr);
  }
};

TEST_F(AdaptersWinTest, SmallFirstBufferReportsTheSizeNeeded) {
  const std::vector<AdapterEntry> expected = SystemAdapters();
  if (expected.size() < 2) GTEST_SKIP() << "one record fits in 648 bytes here";
  std::vector<AdapterEntry> adapters;
  uint32_t size = 648;
  ASSERT_EQ(CurrentNetPort().ReadAdapters(size, adapters), NetPort::kBufferOverflow);
  EXPECT_GE(size, expected.size() * 640);
  ASSERT_EQ(CurrentNetPort().ReadAdapters(size, adapters), 0u);
  ASSERT_EQ(adapters.size(), expected.size());
  for (std::size_t i = 0; i < adapters.size(); ++i) {
    EXPECT_EQ(adapters[i].type, expected[i].type);
    EXPECT_EQ(adapters[i].firstIpText, expected[i].firstIpText);
  }
}

TEST_F(AdaptersWinTest, AdapterPassTakesTheLastEthernetAdapter) {
  const std::vector<AdapterEntry> expected = SystemAdapters();
  if (expected.empty()) GTEST_SKIP() << "the system lists no adapter";
  std::string last;
  bool ppp = false;
  for (const AdapterEntry& a : expected) {
    if (a.type == MIB_IF_TYPE_ETHERNET) last = a.firstIpText;
    ppp = ppp || a.type == MIB_IF_TYPE_PPP;
  }
  g_strAdapterAddress.clear();
  const uint32_t address = GetAdapterAddress();
  EXPECT_EQ(g_strAdapterAddress, last);
  EXPECT_EQ(address, Ipv4FromText(last));
  EXPECT_EQ(address, inet_addr(last.c_str()));  // the same reading as the system's
  EXPECT_EQ(g_bPppAdapter, ppp ? 1 : 0);
  EXPECT_EQ(g_printed.size(), expected.size());  // one "Adapter Type: " line per adapter
  for (const std::string& line : g_printed)
    EXPECT_EQ(line.rfind("Adapter Type: \t", 0), 0u) << line;
}

TEST_F(AdaptersWinTest, AddressTextsReadAsTheSystemReadsThem) {
  for (const char* text : {"192.168.1.23", "0.0.0.0", "10.1", "0x7f.0.0.1", "010.0.0.1",
                           "1.2.3.4.5", "256.1.1.1", "abc", "192.168.1.23 "}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Ipv4FromText(text), inet_addr(text));
  }
  in_addr a;
  a.s_addr = inet_addr("172.16.254.3");
  EXPECT_EQ(Ipv4ToText(a.s_addr), inet_ntoa(a));
}

}  // namespace
