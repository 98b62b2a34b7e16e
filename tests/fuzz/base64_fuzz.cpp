// Base64 round trips, and the fast decoder against a plain one written from the rules.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "xml/base64.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "base64 check failed: %s\n", what);
    std::abort();
  }
}

// One character at a time: skip anything outside the alphabet, stop at a '=' in the third or
// fourth place of a group, give the whole bytes of an incomplete last group.
std::string PlainDecode(const std::string& text) {
  static const std::string alphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  uint32_t group = 0;
  int have = 0;
  for (const char c : text) {
    const std::size_t value = alphabet.find(c);
    if (c == '\0' || value == std::string::npos) {
      if (c == '=' && have >= 2) break;
      continue;
    }
    group = (group << 6) | static_cast<uint32_t>(value);
    if (++have == 4) {
      out += static_cast<char>(group >> 16);
      out += static_cast<char>(group >> 8);
      out += static_cast<char>(group);
      group = 0;
      have = 0;
    }
  }
  if (have == 2) out += static_cast<char>(group >> 4);
  if (have == 3) {
    out += static_cast<char>(group >> 10);
    out += static_cast<char>(group >> 2);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string encoded = EncodeBase64(bytes);
  Check(encoded.size() == (size + 2) / 3 * 4, "encoded length");
  Check(DecodeBase64(encoded) == bytes, "bytes survive a round trip");
  const std::string decoded = DecodeBase64(bytes);
  Check(decoded == PlainDecode(bytes), "fast decoder agrees with the plain one");
  Check(DecodeBase64(EncodeBase64(decoded)) == decoded, "decoded bytes survive a round trip");
  return 0;
}
