#include "net/address_text.h"

#include <cctype>
#include <cstdio>
#include <cstring>

std::string Ipv4ToText(uint32_t address) {
  const auto* b = reinterpret_cast<const unsigned char*>(&address);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return buffer;
}

namespace {

// One part of an inet_addr text: decimal, 0-prefixed octal or 0x-prefixed hexadecimal.
bool ReadPart(const char*& p, unsigned long long& value) {
  unsigned base = 10;
  if (*p == '0') {
    base = 8;
    ++p;
    if (*p == 'x' || *p == 'X') {
      base = 16;
      ++p;
      if (!std::isxdigit(static_cast<unsigned char>(*p))) return false;
    } else {
      value = 0;  // "0" alone, or an octal number
    }
  } else if (!(*p >= '0' && *p <= '9')) {
    return false;
  }
  value = 0;
  for (;; ++p) {
    const char c = *p;
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      break;
    if (digit >= base) return false;
    value = value * base + digit;
    if (value > 0xFFFFFFFFull) return false;
  }
  return true;
}

}  // namespace

uint32_t Ipv4FromText(const std::string& text) {
  unsigned long long parts[4];
  int count = 0;
  const char* p = text.c_str();
  for (;;) {
    if (count == 4 || !ReadPart(p, parts[count])) return kInvalidAddress;
    ++count;
    if (*p != '.') break;
    ++p;
  }
  // Like inet_addr, trailing blanks end the text; anything else makes it invalid.
  if (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\n') return kInvalidAddress;

  unsigned long long host = 0;
  switch (count) {  // a, a.b (b: 24 bits), a.b.c (c: 16 bits), a.b.c.d
    case 1: host = parts[0]; break;
    case 2:
      if (parts[0] > 0xFF || parts[1] > 0xFFFFFF) return kInvalidAddress;
      host = parts[0] << 24 | parts[1];
      break;
    case 3:
      if (parts[0] > 0xFF || parts[1] > 0xFF || parts[2] > 0xFFFF) return kInvalidAddress;
      host = parts[0] << 24 | parts[1] << 16 | parts[2];
      break;
    default:
      for (int i = 0; i < 4; ++i)
        if (parts[i] > 0xFF) return kInvalidAddress;
      host = parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3];
  }
  unsigned char bytes[4] = {
      static_cast<unsigned char>(host >> 24), static_cast<unsigned char>(host >> 16),
      static_cast<unsigned char>(host >> 8), static_cast<unsigned char>(host)};
  uint32_t address;
  std::memcpy(&address, bytes, 4);
  return address;
}

uint32_t WithHostNumber(uint32_t address, unsigned host) {
  auto* b = reinterpret_cast<unsigned char*>(&address);
  b[3] = static_cast<unsigned char>(host);
  return address;
}

std::string FormatMacText(const unsigned char* bytes) {
  char buffer[18];
  std::snprintf(buffer, sizeof buffer, "%.2X-%.2X-%.2X-%.2X-%.2X-%.2X", bytes[0], bytes[1],
                bytes[2], bytes[3], bytes[4], bytes[5]);
  return buffer;
}
