// The net port on Windows: IP Helper for adapters and ARP, Windows Sockets for names.
#include <windows.h>
#include <winsock2.h>

#include <cstddef>
#include <cstring>

#include <iphlpapi.h>

#include <vector>

#include "platform/net_port.h"

namespace {

// An IPv4 address (network byte order) and port as the socket calls take them.
sockaddr_in Endpoint(uint32_t address, uint16_t port) {
  sockaddr_in endpoint;
  std::memset(&endpoint, 0, sizeof endpoint);
  endpoint.sin_family = AF_INET;
  endpoint.sin_port = htons(port);
  endpoint.sin_addr.s_addr = address;
  return endpoint;
}

class Win32NetPort final : public NetPort {
 public:
  uint32_t ReadAdapters(uint32_t& bufferSize, std::vector<AdapterEntry>& adapters) override {
    std::vector<unsigned char> buffer(bufferSize ? bufferSize : 1);
    ULONG size = bufferSize;
    auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    const DWORD rc = GetAdaptersInfo(first, &size);
    if (rc == ERROR_BUFFER_OVERFLOW) bufferSize = size;
    if (rc != ERROR_SUCCESS) return rc;
    for (const IP_ADAPTER_INFO* a = first; a; a = a->Next) {
      AdapterEntry entry{a->Type, a->IpAddressList.IpAddress.String};
      if (a->AddressLength == 6) std::memcpy(entry.hardwareAddress, a->Address, 6);
      entry.interfaceIndex = a->Index;
      entry.gatewayText = a->GatewayList.IpAddress.String;
      entry.description = a->Description;
      adapters.push_back(entry);
    }
    return 0;
  }

  bool ReadDefaultRoutes(std::vector<DefaultRoute>& routes) override {
    // The table may grow between the two calls; a few tries, then it counts as unreadable.
    ULONG size = 0;
    std::vector<unsigned char> buffer;
    DWORD rc = GetIpForwardTable(nullptr, &size, FALSE);
    for (int attempt = 0; attempt < 3 && rc == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
      buffer.assign(size, 0);
      rc = GetIpForwardTable(reinterpret_cast<MIB_IPFORWARDTABLE*>(buffer.data()), &size, FALSE);
    }
    if (rc == ERROR_NO_DATA) return true;  // an empty table: no default route
    if (rc != NO_ERROR || buffer.size() < sizeof(DWORD)) return false;
    const auto* table = reinterpret_cast<const MIB_IPFORWARDTABLE*>(buffer.data());
    const std::size_t room =
        (buffer.size() - offsetof(MIB_IPFORWARDTABLE, table)) / sizeof(MIB_IPFORWARDROW);
    for (DWORD i = 0; i < table->dwNumEntries && i < room; ++i) {
      const MIB_IPFORWARDROW& row = table->table[i];
      if (row.dwForwardDest == 0 && row.dwForwardMask == 0)
        routes.push_back({row.dwForwardIfIndex, row.dwForwardMetric1});
    }
    return true;
  }

  bool StartSockets(int major, int minor) override {
    WSADATA data;
    return WSAStartup(MAKEWORD(major, minor), &data) == 0;
  }

  void CleanupSockets() override { WSACleanup(); }

  bool ReadOwnHostName(std::string& name, int bufferLength) override {
    std::vector<char> buffer(bufferLength + 1, '\0');
    if (gethostname(buffer.data(), bufferLength) != 0) return false;
    name = buffer.data();
    return true;
  }

  bool ResolveFirstAddress(const std::string& name, uint32_t& address) override {
    const hostent* entry = gethostbyname(name.c_str());
    if (!entry || !entry->h_addr_list || !entry->h_addr_list[0]) return false;
    std::memcpy(&address, entry->h_addr_list[0], 4);
    return true;
  }

  bool ResolveHostName(uint32_t address, std::string& name) override {
    const hostent* entry = gethostbyaddr(reinterpret_cast<const char*>(&address), 4, AF_INET);
    if (!entry || !entry->h_name) return false;
    name = entry->h_name;
    return true;
  }

  uint32_t SendArp(uint32_t target, uint32_t source, uint32_t (&mac)[2],
                   uint32_t& length) override {
    ULONG buffer[2] = {0, 0};
    ULONG len = length;
    const DWORD rc = SendARP(target, source, buffer, &len);
    std::memcpy(mac, buffer, sizeof buffer);
    length = len;
    return rc;
  }

  bool SendDatagram(uint32_t target, uint16_t port) override {
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return false;
    const sockaddr_in to = Endpoint(target, port);
    const char byte = 0;
    const bool sent =
        sendto(s, &byte, 1, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 1;
    closesocket(s);
    return sent;
  }

  void ExchangeDatagrams(uint32_t target, const std::vector<OutgoingDatagram>& datagrams,
                         unsigned waitMs, const ReplyHandler& onReply) override {
    // One socket per probe: its ephemeral port tells this probe's replies from every other's.
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return;
    bool sent = false;
    for (const OutgoingDatagram& datagram : datagrams) {
      const sockaddr_in to = Endpoint(target, datagram.port);
      const int size = static_cast<int>(datagram.bytes.size());
      sent |= sendto(s, reinterpret_cast<const char*>(datagram.bytes.data()), size, 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to) == size;
    }
    const DWORD start = GetTickCount();
    char buffer[2048];  // name replies are far smaller; a larger datagram is cut and not read
    while (sent) {
      const DWORD elapsed = GetTickCount() - start;
      if (elapsed >= waitMs) break;
      const DWORD left = waitMs - elapsed;
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(s, &readable);
      timeval timeout = {static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
      if (select(0, &readable, nullptr, nullptr, &timeout) <= 0) break;  // time-out or failure
      sockaddr_in from;
      int fromLength = sizeof from;
      const int n =
          recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
      // Windows reports an ICMP "port unreachable" from a device with no such service as
      // WSAECONNRESET on the next receive; that, like a cut datagram, is no reply, and the other
      // query may still be answered.
      if (n < 0) continue;
      if (onReply(from.sin_addr.s_addr, ntohs(from.sin_port),
                  reinterpret_cast<const uint8_t*>(buffer), static_cast<std::size_t>(n)))
        break;
    }
    closesocket(s);
  }

  uint32_t QueryArpTableSize() override {
    ULONG size = 0;
    GetIpNetTable(nullptr, &size, FALSE);
    return size;
  }

  bool ReadArpTable(uint32_t size, std::vector<ArpCacheRow>& rows) override {
    std::vector<unsigned char> buffer(size);
    ULONG len = size;
    auto* table = reinterpret_cast<MIB_IPNETTABLE*>(buffer.data());
    if (GetIpNetTable(table, &len, FALSE) != NO_ERROR) return false;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
      const MIB_IPNETROW& r = table->table[i];
      ArpCacheRow row{r.dwIndex, r.dwAddr, r.dwType};
      if (r.dwPhysAddrLen >= 6) std::memcpy(row.hardwareAddress, r.bPhysAddr, 6);
      rows.push_back(row);
    }
    return true;
  }

  void DeleteArpEntry(const ArpCacheRow& row) override {
    MIB_IPNETROW entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwIndex = row.interfaceIndex;
    entry.dwAddr = row.address;
    DeleteIpNetEntry(&entry);
  }
};

Win32NetPort g_win32NetPort;

}  // namespace

void InstallWin32NetPort() { InstallNetPort(&g_win32NetPort); }
