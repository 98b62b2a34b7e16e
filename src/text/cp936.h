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

// Bytes taken by the character at p: 2 for a lead byte with a non-zero trail byte before end, else 1.
inline std::size_t CharLength(const char* p, const char* end) {
  return (IsLeadByte(static_cast<unsigned char>(*p)) && p + 1 < end && p[1] != '\0') ? 2 : 1;
}
inline std::size_t CharLength(std::string_view s, std::size_t at) {
  return CharLength(s.data() + at, s.data() + s.size());
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

// Length of the longest prefix of s made of whole characters and at most maxBytes long.
std::size_t WholeCharPrefix(std::string_view s, std::size_t maxBytes);

}  // namespace text
