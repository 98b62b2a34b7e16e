#include "xml/base64.h"

#include <cstdint>
#include <cstring>

namespace {

// The alphabet, set up before the program's main code runs.
// Constant-initialised, so it is ready even for callers running during static initialisation.
const char g_szBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Encoding looks up twelve bits at a time: two output characters per lookup.
struct PairTable {
  char pairs[4096][2];
  PairTable() {
    for (int i = 0; i < 4096; ++i) {
      pairs[i][0] = g_szBase64Alphabet[i >> 6];
      pairs[i][1] = g_szBase64Alphabet[i & 63];
    }
  }
};

// Decoding: one table per position in a group, each giving the character's six bits already
// shifted into place, so a group of four is four lookups and three ORs. Characters outside the
// alphabet carry kInvalid, which survives the ORs and sends the group to the slow path.
constexpr uint32_t kInvalid = 0x80000000u;
struct DecodeTables {
  uint32_t shifted[4][256];
  int8_t value[256];  // 0-63, or -1 for every character outside the alphabet
  DecodeTables() {
    std::memset(value, -1, sizeof value);
    for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(g_szBase64Alphabet[i])] = i;
    for (int c = 0; c < 256; ++c) {
      for (int k = 0; k < 4; ++k) {
        shifted[k][c] = value[c] < 0 ? kInvalid : static_cast<uint32_t>(value[c]) << (18 - 6 * k);
      }
    }
  }
};

const PairTable& Pairs() {
  static const PairTable table;
  return table;
}
const DecodeTables& Tables() {
  static const DecodeTables tables;
  return tables;
}

}  // namespace

std::string EncodeBase64(const std::string& bytes) {
  const PairTable& table = Pairs();
  const std::size_t n = bytes.size();
  std::string out((n + 2) / 3 * 4, '\0');
  const unsigned char* in = reinterpret_cast<const unsigned char*>(bytes.data());
  char* o = &out[0];
  std::size_t i = 0;
  for (; i + 3 <= n; i += 3, o += 4) {
    const uint32_t v = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8) | in[i + 2];
    std::memcpy(o, table.pairs[v >> 12], 2);
    std::memcpy(o + 2, table.pairs[v & 0xFFF], 2);
  }
  if (n - i == 1) {
    const uint32_t v = uint32_t{in[i]} << 16;
    o[0] = g_szBase64Alphabet[v >> 18];
    o[1] = g_szBase64Alphabet[(v >> 12) & 63];
    o[2] = o[3] = '=';
  } else if (n - i == 2) {
    const uint32_t v = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8);
    o[0] = g_szBase64Alphabet[v >> 18];
    o[1] = g_szBase64Alphabet[(v >> 12) & 63];
    o[2] = g_szBase64Alphabet[(v >> 6) & 63];
    o[3] = '=';
  }
  return out;
}

std::string DecodeBase64(const std::string& text) {
  const DecodeTables& t = Tables();
  const std::size_t n = text.size();
  std::string out(n / 4 * 3 + 3, '\0');
  const unsigned char* in = reinterpret_cast<const unsigned char*>(text.data());
  unsigned char* o = reinterpret_cast<unsigned char*>(&out[0]);
  std::size_t i = 0;
  uint32_t group = 0;  // values collected so far, six bits each
  int have = 0;        // how many values the group holds
  while (i < n) {
    // Fast path: at a group boundary, four alphabet characters in a row.
    if (have == 0) {
      while (i + 4 <= n) {
        const uint32_t v = t.shifted[0][in[i]] | t.shifted[1][in[i + 1]] | t.shifted[2][in[i + 2]] |
                           t.shifted[3][in[i + 3]];
        if (v & kInvalid) break;
        o[0] = static_cast<unsigned char>(v >> 16);
        o[1] = static_cast<unsigned char>(v >> 8);
        o[2] = static_cast<unsigned char>(v);
        o += 3;
        i += 4;
      }
      if (i >= n) break;
    }
    const unsigned char c = in[i++];
    const int value = t.value[c];
    if (value < 0) {
      if (c == '=' && have >= 2) break;  // padding where the third or fourth value belongs
      continue;                          // anything else outside the alphabet is skipped
    }
    group = (group << 6) | static_cast<uint32_t>(value);
    if (++have == 4) {
      o[0] = static_cast<unsigned char>(group >> 16);
      o[1] = static_cast<unsigned char>(group >> 8);
      o[2] = static_cast<unsigned char>(group);
      o += 3;
      have = 0;
      group = 0;
    }
  }
  // An incomplete group still gives its whole bytes: two values one byte, three values two.
  if (have == 2) {
    *o++ = static_cast<unsigned char>(group >> 4);
  } else if (have == 3) {
    *o++ = static_cast<unsigned char>(group >> 10);
    *o++ = static_cast<unsigned char>(group >> 2);
  }
  out.resize(o - reinterpret_cast<unsigned char*>(&out[0]));
  return out;
}
