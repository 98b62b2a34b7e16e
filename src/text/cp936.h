#pragma once
// Code page 936 (GBK) text helpers shared by the whole program.
//
// A byte from 0x81 to 0xFE leads a double-byte character and takes the next byte with it, so a
// trail byte is never taken for an ASCII delimiter. A lead byte at the very end of a text (or
// before a zero byte) stands alone: no scanner ever reads past the end because of it.
#include <cstddef>
#include <string>
#include <string_view>

namespace text {

inline bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
// Whether c may follow a lead byte in a character code page 936 defines: 0x40-0xFE but 0x7F.
inline bool IsTrailValue(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

// Bytes taken by the character at p: 2 for a lead byte with a non-zero trail byte before end, else 1.
inline std::size_t CharLength(const char* p, const char* end) {
  return (IsLeadByte(static_cast<unsigned char>(*p)) && p + 1 < end && p[1] != '\0') ? 2 : 1;
}
inline std::size_t CharLength(std::string_view s, std::size_t at) {
  return CharLength(s.data() + at, s.data() + s.size());
}

// Number of lead-range bytes (0x81-0xFE) directly before offset at, counting back no further than
// from.
inline std::size_t LeadRunBefore(const char* s, std::size_t from, std::size_t at) {
  std::size_t run = 0;
  while (at - run > from && IsLeadByte(static_cast<unsigned char>(s[at - run - 1]))) ++run;
  return run;
}

// Whether the byte at offset at is the trail byte of a two-byte character, given that from (at or
// before at) starts a character. Stepping is not needed to tell: a byte outside 0x81-0xFE always
// ends a character, so the lead-range bytes right before at pair up from there (or from from), and
// an odd number of them takes the byte at at as its trail. The byte at at must not be a zero byte.
inline bool IsTrailByte(const char* s, std::size_t from, std::size_t at) {
  return (LeadRunBefore(s, from, at) & 1) != 0;
}

// First occurrence of needle in s at or after from that starts on a character boundary; npos if none.
// Bytes are compared exactly. An empty needle is found at from.
std::size_t Find(std::string_view s, std::string_view needle, std::size_t from = 0);
inline bool Contains(std::string_view s, std::string_view needle) {
  return Find(s, needle) != std::string_view::npos;
}

// First single-byte character c (ASCII) at a character boundary; npos if none.
std::size_t FindChar(std::string_view s, char c, std::size_t from = 0);

// Space, tab, line feed, vertical tab, form feed or carriage return.
inline bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// s without leading and trailing blanks (IsBlank).
std::string_view Trim(std::string_view s);

// Whether s holds only printable ASCII (0x20-0x7E) and whole double-byte characters (IsLeadByte,
// then IsTrailValue): no control byte, no lone lead byte, no byte 0x80 or 0xFF.
bool IsPrintableText(std::string_view s);

// Length of the longest prefix of s made of whole characters and at most maxBytes long.
std::size_t WholeCharPrefix(std::string_view s, std::size_t maxBytes);

}  // namespace text
