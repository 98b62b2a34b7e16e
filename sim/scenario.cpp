// Scenario text of the simulated LAN and its built-in demo LAN.
#include <cstdio>
#include <sstream>

#include "net/address_text.h"
#include "sim/simulated_lan.h"

namespace {

bool ParseMac(const std::string& text, unsigned char (&mac)[6]) {
  unsigned b[6];
  char tail;
  if (text.size() != 17 || std::sscanf(text.c_str(), "%2x-%2x-%2x-%2x-%2x-%2x%c", &b[0], &b[1],
                                       &b[2], &b[3], &b[4], &b[5], &tail) != 6)
    return false;
  for (int i = 0; i < 6; ++i) mac[i] = static_cast<unsigned char>(b[i]);
  return true;
}

bool ParseMs(const std::string& text, unsigned& ms) {
  if (text.empty() || text.size() > 7 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  ms = static_cast<unsigned>(std::stoul(text));
  return true;
}

bool ParseAddress(const std::string& text, uint32_t& address) {
  address = Ipv4FromText(text);
  return address != kInvalidAddress || text == "255.255.255.255";
}

// adapter <type> <ip> [<mac>] [gateway=<ip>] [metric=<n>] [name=<text>]: its interface index is its
// place in the list, from 1; a gateway gives it a default route of the metric (0 unless named).
bool ParseAdapter(const std::vector<std::string>& words, SimScenario& s) {
  AdapterEntry adapter{0, words[2]};
  if (!ParseMs(words[1], adapter.type)) return false;
  adapter.interfaceIndex = static_cast<uint32_t>(s.adapters.size() + 1);
  unsigned metric = 0;
  for (std::size_t i = 3; i < words.size(); ++i) {
    const std::string& w = words[i];
    uint32_t gateway = 0;
    if (w.compare(0, 8, "gateway=") == 0) {
      adapter.gatewayText = w.substr(8);
      if (!ParseAddress(adapter.gatewayText, gateway)) return false;
    } else if (w.compare(0, 7, "metric=") == 0) {
      if (!ParseMs(w.substr(7), metric)) return false;
    } else if (w.compare(0, 5, "name=") == 0) {
      adapter.description = w.substr(5);
      for (char& c : adapter.description) c = c == '_' ? ' ' : c;
    } else if (i != 3 || !ParseMac(w, adapter.hardwareAddress)) {
      return false;
    }
  }
  if (!adapter.gatewayText.empty()) s.defaultRoutes.push_back({adapter.interfaceIndex, metric});
  s.adapters.push_back(adapter);
  return true;
}

bool ParseLine(const std::string& line, SimScenario& s) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  if (words.empty()) return true;
  const std::string& d = words[0];
  if (d == "adapter" && words.size() >= 3 && words.size() <= 7) return ParseAdapter(words, s);
  if (d == "sendarp" && words.size() == 2 && words[1] == "unsupported") {
    s.sendArpSupported = false;
    return true;
  }
  if (d == "hostname" && words.size() == 3) {
    s.hasHostName = true;
    s.hostName = words[1];
    s.hostNameResolves = words[2] != "-";
    return !s.hostNameResolves || ParseAddress(words[2], s.hostAddress);
  }
  if (d == "device" && words.size() >= 4 && words.size() <= 8) {
    SimDevice device;
    if (!ParseAddress(words[1], device.address) || !ParseMac(words[2], device.mac) ||
        !ParseMs(words[3], device.latencyMs))
      return false;
    for (std::size_t i = 4; i < words.size(); ++i) {
      const std::string& w = words[i];
      if (w.compare(0, 5, "mdns=") == 0) {
        device.mdnsName = w.substr(5);
        if (device.mdnsName.empty()) return false;
      } else if (w.compare(0, 8, "netbios=") == 0) {
        device.netbiosName = w.substr(8);
        if (device.netbiosName.empty() || device.netbiosName.size() > 15) return false;
      } else if (w.compare(0, 6, "joins=") == 0) {
        if (!ParseMs(w.substr(6), device.joinsAtSweep) || device.joinsAtSweep == 0) return false;
      } else if (i == 4) {
        device.name = w;
      } else {
        return false;
      }
    }
    s.devices.push_back(device);
    return true;
  }
  if (d == "silence" && words.size() == 2) return ParseMs(words[1], s.silenceMs);
  return false;
}

}  // namespace

bool ParseScenario(const std::string& text, SimScenario& scenario, std::string* error) {
  std::istringstream in(text);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    if (!ParseLine(line, scenario)) {
      if (error) *error = "line " + std::to_string(number) + ": " + line;
      return false;
    }
  }
  return true;
}

SimScenario DemoScenario() {
  static const char kDemo[] =
      "adapter 6 192.168.1.23\n"
      "adapter 71 0.0.0.0\n"  // a wireless adapter without an address
      "hostname TARNLOOK-PC 192.168.1.23\n"
      "silence 600\n"
      "device 192.168.1.23 00-1A-2B-3C-4D-5E 1 TARNLOOK-PC\n"  // this computer
      "device 192.168.1.2 C8-3A-35-10-20-01 12 wifi-router\n"
      "device 192.168.1.5 00-11-32-AA-BB-05 40 nas-storage\n"
      "device 192.168.1.17 3C-2E-FF-01-02-17 180 living-room-television\n"
      // Two devices name themselves: one by mDNS in UTF-8 (客厅的iPad), one by NetBIOS.
      "device 192.168.1.31 A4-5E-60-C1-D2-31 90 mdns=\xe5\xae\xa2\xe5\x8e\x85\xe7\x9a\x84iPad\n"
      "device 192.168.1.42 00-80-77-12-34-42 25 office-printer\n"
      "device 192.168.1.64 F0-18-98-5A-6B-64 300 phone-wang\n"
      "device 192.168.1.77 B8-27-EB-77-77-77 60 raspberrypi\n"
      "device 192.168.1.101 DC-A6-32-01-01-01 450 netbios=MEDIA-SERVER\n"
      "device 192.168.1.150 00-0C-29-15-00-96 8 build-server\n"
      "device 192.168.1.200 5C-CF-7F-C8-00-C8 520 smart-plug\n"
      "device 192.168.1.254 00-1B-21-FE-FE-FE 70\n";
  SimScenario scenario;
  ParseScenario(kDemo, scenario);
  return scenario;
}
