#pragma once
// A simulated LAN behind the net port, for tarnlook-sim.exe, the benchmark and the tests: no packet
// leaves the process. Scenario, one directive a line, "#" starts a comment:
//   adapter <type> <ipText> [<mac>] [gateway=<ip>] [metric=<n>] [name=<text>]
//                                      adapter list entry, in order (6 Ethernet, 23 PPP, 71 Wi-Fi,
//                                      other), with its hardware address (none: all zero); its
//                                      interface index is its place in the list, from 1; with
//                                      gateway= it has that gateway and a default route of metric
//                                      <n> (0 when not named; no default route without gateway=);
//                                      name= is its description, "_" standing for a blank
//   hostname <name> <ip>|-             own host name and the first address it resolves to (- = fails);
//                                      that address's reverse lookup gives the name unless a device
//                                      line is for it
//   device <ip> <mac> <ms> [<name>] [mdns=<name>] [netbios=<name>] [joins=<n>]
//                                      answers ARP after <ms> ms; reverse lookup gives <name>;
//                                      answers a unicast mDNS PTR query with <name>.local. (UTF-8)
//                                      and NetBIOS node status with <name> (at most 15 bytes);
//                                      without them it sends nothing back to those queries; with
//                                      joins= it answers only from the n-th sweep of the run on
//                                      (the first sweep is 1; each sweep asks each address once,
//                                      so the n-th request for its address), silent before
//   silence <ms>                       how long a probe of a silent address takes to fail (1000)
//   sendarp unsupported                SendArp fails at once with "not supported", as under Wine;
//                                      the neighbour table then behaves as Wine's: a datagram to an
//                                      address adds its row at once with an all-zero MAC, a device's
//                                      MAC fills in <ms> later, a silent address's row stays zero,
//                                      an adapter's own address gets no row, and deletions do
//                                      nothing
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/net_port.h"

struct SimDevice {
  uint32_t address = 0;  // network byte order
  unsigned char mac[6] = {};
  unsigned latencyMs = 0;
  std::string name;           // empty: the reverse lookup finds nothing
  std::string mdnsName;       // UTF-8; empty: no mDNS responder
  std::string netbiosName;    // empty: no NetBIOS name service
  unsigned joinsAtSweep = 1;  // the first sweep it answers
};

struct SimScenario {
  std::vector<AdapterEntry> adapters;
  std::vector<DefaultRoute> defaultRoutes;  // in adapter order
  bool hasHostName = false;
  std::string hostName;
  bool hostNameResolves = false;
  uint32_t hostAddress = 0;
  std::vector<SimDevice> devices;
  unsigned silenceMs = 1000;
  bool sendArpSupported = true;
};

// Reads a scenario; false (and a message naming the line) on a line it cannot read.
bool ParseScenario(const std::string& text, SimScenario& scenario, std::string* error = nullptr);
// The demo LAN: a dozen devices of different kinds and latencies, some named, one of them this
// computer.
SimScenario DemoScenario();

// A net port that answers from a scenario, sleeping each device's latency (or the silence) in
// SendArp. Thread-safe; its ARP cache holds the devices that answered, so purges have work to do.
// With "sendarp unsupported" the answers come from its neighbour table instead.
std::unique_ptr<NetPort> MakeSimulatedNetPort(SimScenario scenario);

// Installs the simulated LAN as the net port for the rest of the process: the scenario in the file
// named by TARNLOOK_SIM_LAN, else the demo LAN. A file that cannot be read or parsed is reported on
// standard error and the demo LAN is used. Returns true when the requested scenario is in use.
bool InstallSimulatedLan();
// The same for a given scenario (tests and the benchmark).
void InstallSimulatedLan(SimScenario scenario);
