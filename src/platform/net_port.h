#pragma once
// The network operations the scan needs from the system, in plain C++ types.
// Port kind: installable (InstallNetPort / CurrentNetPort).
//
// A program installs one binding at start-up; nothing is installed by linking alone:
//   tarnlook.exe      InstallWin32NetPort()   (IP Helper and Windows Sockets, platform/win32)
//   tarnlook-sim.exe  InstallSimulatedLan()   (sim/simulated_lan.h: the scenario named by
//                                             TARNLOOK_SIM_LAN, else the built-in demo LAN)
// Until then CurrentNetPort() answers with a port on which every operation fails, so a scan finds nothing.
//
// Addresses are IPv4 in network byte order (first octet in the lowest-addressed byte), as the
// socket calls produce and consume them. Every method may be called from many threads at once.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct AdapterEntry {
  uint32_t type = 0;        // 6 Ethernet, 23 PPP, 71 IEEE 802.11, anything else
  std::string firstIpText;  // first entry of the adapter's IP address list, as the system gives it
  unsigned char hardwareAddress[6] = {};  // the adapter's MAC (zero when it has none of 6 bytes)
  uint32_t interfaceIndex = 0;            // the index its routes name it by
  std::string gatewayText = {};           // first gateway text ("0.0.0.0" or empty when none)
  std::string description = {};           // the adapter's description, code page 936
};

// One default route (destination and mask 0) of the IPv4 route table.
struct DefaultRoute {
  uint32_t interfaceIndex = 0;
  uint32_t metric = 0;  // dwForwardMetric1: lower is preferred
};

// One row of the system's neighbour (ARP) table.
struct ArpCacheRow {
  uint32_t interfaceIndex = 0;
  uint32_t address = 0;
  uint32_t type = 0;                      // 3 dynamic, 4 static, 2 invalid, 1 other
  unsigned char hardwareAddress[6] = {};  // all zero while the system has no answer
};

// One UDP datagram for a port of the target.
struct OutgoingDatagram {
  uint16_t port = 0;
  std::vector<uint8_t> bytes;
};

// Called with each datagram that arrives: its source address (network byte order), source port
// and payload. Returns true when the caller needs no more.
using ReplyHandler = std::function<bool(uint32_t fromAddress, uint16_t fromPort,
                                        const uint8_t* data, std::size_t size)>;

class NetPort {
 public:
  // The system error codes the scan tells apart, named once for the bindings, the simulated LAN
  // and the tests.
  static constexpr uint32_t kBufferOverflow = 111;  // ERROR_BUFFER_OVERFLOW
  static constexpr uint32_t kNotSupported = 50;     // ERROR_NOT_SUPPORTED: Wine's SendARP
  static constexpr uint32_t kNoData = 232;          // ERROR_NO_DATA: no adapter at all
  static constexpr uint32_t kBadNetName = 67;       // ERROR_BAD_NET_NAME: nobody answered the ARP

  virtual ~NetPort() = default;

  // GetAdaptersInfo with a buffer of bufferSize bytes. Returns 0 and fills adapters (in the order
  // the system lists them), or kBufferOverflow with bufferSize set to the size needed, or another
  // system error code.
  virtual uint32_t ReadAdapters(uint32_t& bufferSize, std::vector<AdapterEntry>& adapters) = 0;

  // WSAStartup for version major.minor; true when it succeeded.
  virtual bool StartSockets(int major, int minor) = 0;
  virtual void CleanupSockets() = 0;  // WSACleanup
  // gethostname into a buffer of bufferLength bytes; true and the name when it succeeded.
  virtual bool ReadOwnHostName(std::string& name, int bufferLength) = 0;
  // gethostbyname: true and the first address of the name's address list.
  virtual bool ResolveFirstAddress(const std::string& name, uint32_t& address) = 0;
  // gethostbyaddr for an IPv4 address: true and the entry's official name.
  virtual bool ResolveHostName(uint32_t address, std::string& name) = 0;

  // SendARP. The hardware address lands in mac, two 32-bit words as the system requires, although
  // only its first 6 bytes are meaningful. length is the buffer length in bytes on entry and what
  // the system reports on return. Returns 0 when the target answered, else a system error code.
  virtual uint32_t SendArp(uint32_t target, uint32_t source, uint32_t (&mac)[2],
                           uint32_t& length) = 0;

  // One UDP datagram to port of target (sendto on a fresh socket, sockets already started). On a
  // LAN it makes the system ask for the target's hardware address with ARP. True when sent.
  virtual bool SendDatagram(uint32_t target, uint16_t port) = 0;

  // Sends every datagram to target from one fresh UDP socket on an ephemeral port, then hands
  // each datagram arriving on that socket to onReply as it arrives, until waitMs have passed since
  // the sending or onReply returns true; then closes the socket. Sockets already started. The
  // default sends nothing and returns at once: a port without it asks devices nothing.
  virtual void ExchangeDatagrams(uint32_t target, const std::vector<OutgoingDatagram>& datagrams,
                                 unsigned waitMs, const ReplyHandler& onReply) {
    (void)target, (void)datagrams, (void)waitMs, (void)onReply;
  }

  // GetIpForwardTable, keeping only the default routes; false when the table cannot be read. The
  // default reads nothing: a port without it knows no routes.
  virtual bool ReadDefaultRoutes(std::vector<DefaultRoute>& routes) {
    (void)routes;
    return false;
  }

  // GetIpNetTable with no buffer: the size the ARP table needs (0 when there is nothing to read).
  virtual uint32_t QueryArpTableSize() = 0;
  // GetIpNetTable into a buffer of size bytes, unsorted; false when the call fails (also when the
  // table has outgrown size).
  virtual bool ReadArpTable(uint32_t size, std::vector<ArpCacheRow>& rows) = 0;
  // DeleteIpNetEntry for the row's interface and address; the result is of no interest.
  virtual void DeleteArpEntry(const ArpCacheRow& row) = 0;
};

// Makes port the one every scan uses from now on (nullptr restores the failing port). The port
// must outlive every scan that may still run, so bindings are objects of static storage duration.
void InstallNetPort(NetPort* port);
NetPort& CurrentNetPort();

#ifdef _WIN32
// Installs the IP Helper and Windows Sockets binding (platform/win32/net_port_win32.cpp).
void InstallWin32NetPort();
#endif
