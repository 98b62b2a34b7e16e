#pragma once
// Text forms of IPv4 and hardware addresses, the same on every platform.
#include <cstdint>
#include <string>

constexpr uint32_t kInvalidAddress = 0xFFFFFFFFu;  // INADDR_NONE

// Dotted decimal of an address in network byte order, as inet_ntoa writes it ("192.168.1.23").
std::string Ipv4ToText(uint32_t address);
// The address a text names, in network byte order, read as inet_addr reads it (one to four parts,
// decimal, octal with a leading 0 or hexadecimal with 0x); kInvalidAddress when it names none.
// An empty text names none.
uint32_t Ipv4FromText(const std::string& text);

// The address with its last octet (the fourth byte in network byte order) replaced by host.
uint32_t WithHostNumber(uint32_t address, unsigned host);

// Six bytes as "%.2X-%.2X-%.2X-%.2X-%.2X-%.2X", in the order given.
std::string FormatMacText(const unsigned char* bytes);
