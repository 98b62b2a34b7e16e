#include "text/cp936.h"

#include <cstring>

namespace text {

std::size_t Find(std::string_view s, std::string_view needle, std::size_t from) {
  if (from > s.size()) return std::string_view::npos;
  if (needle.empty()) return from;
  for (std::size_t i = from; i + needle.size() <= s.size(); i += CharLength(s, i)) {
    if (s[i] == needle[0] && std::memcmp(s.data() + i, needle.data(), needle.size()) == 0) return i;
  }
  return std::string_view::npos;
}

std::size_t FindChar(std::string_view s, char c, std::size_t from) {
  for (std::size_t i = from; i < s.size(); i += CharLength(s, i)) {
    if (s[i] == c) return i;
  }
  return std::string_view::npos;
}

std::string_view Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool IsPrintableText(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c <= 0x7E) continue;
    if (!IsLeadByte(c) || i + 1 == s.size() || !IsTrailValue(static_cast<unsigned char>(s[i + 1])))
      return false;
    ++i;
  }
  return true;
}

std::size_t WholeCharPrefix(std::string_view s, std::size_t maxBytes) {
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t n = CharLength(s, i);
    if (i + n > maxBytes) break;
    i += n;
  }
  return i;
}

}  // namespace text
