#include "maker/maker_lookup.h"

#include <algorithm>

#include "maker/maker_table.h"
#include "text/cp936.h"

namespace maker {

namespace {

constexpr uint64_t kLocallyAdministered = uint64_t{0x02} << 40;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The packed name of prefix in one sorted table, or nullptr.
const char* FindPrefix(const uint64_t* table, std::size_t count, uint64_t prefix) {
  const uint64_t first = prefix << kNameOffsetBits;
  const uint64_t* end = table + count;
  const uint64_t* at = std::lower_bound(table, end, first);
  if (at == end || (*at >> kNameOffsetBits) != prefix) return nullptr;
  return kMakerNames + (*at & ((uint64_t{1} << kNameOffsetBits) - 1));
}

}  // namespace

std::string UnpackMakerName(const char* packed) {
  std::string name;
  for (const char* p = packed; *p != '\0'; ++p) {
    if (*p == kWordMark && p[1] != '\0') {
      name += kMakerWords + kMakerWordOffsets[static_cast<unsigned char>(*++p)];
    } else {
      name += *p;
    }
  }
  return name;
}

std::optional<uint64_t> ParseMacText(std::string_view text) {
  text = text::Trim(text);
  if (text.size() != 17) return std::nullopt;
  const char separator = text[2];
  if (separator != '-' && separator != ':') return std::nullopt;
  uint64_t mac = 0;
  for (std::size_t i = 0; i < 17; i += 3) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0 || (i + 2 < 17 && text[i + 2] != separator)) return std::nullopt;
    mac = (mac << 8) | static_cast<uint64_t>(high << 4 | low);
  }
  return mac;
}

MakerMatch LookUpMaker(uint64_t mac) {
  MakerMatch match;
  if (mac & kLocallyAdministered) {
    match.origin = MacOrigin::kPrivate;
    return match;
  }
  match.origin = MacOrigin::kRegistered;
  struct Table {
    const uint64_t* entries;
    std::size_t count;
    int bits;
  };
  const Table tables[] = {{kPrefixes36, kPrefixes36Count, 36},
                          {kPrefixes28, kPrefixes28Count, 28},
                          {kPrefixes24, kPrefixes24Count, 24}};
  for (const Table& table : tables) {
    if (const char* name = FindPrefix(table.entries, table.count, mac >> (48 - table.bits))) {
      match.name = UnpackMakerName(name);
      match.prefixBits = table.bits;
      return match;
    }
  }
  return match;
}

MakerMatch LookUpMaker(std::string_view macText) {
  const std::optional<uint64_t> mac = ParseMacText(macText);
  return mac ? LookUpMaker(*mac) : MakerMatch{};
}

const char* MakerDataDate() { return kMakerDataDate; }

}  // namespace maker
