#pragma once
// Character classes of the XML engine, one table for every scanner. All delimiters are ASCII;
// multibyte characters (code page 936) are stepped over whole with text::CharLength.
#include <cstdint>

#include "text/cp936.h"

namespace xml_detail {

enum CharClass : uint16_t {
  kBlank = 1 << 0,            // space, tab, line feed, carriage return
  kLead = 1 << 1,             // 0x81-0xFE: leads a two-byte character
  kNameStart = 1 << 2,        // starts a start tag: A-Z, a-z, '_', ':', 0x7B-0xFF
  kTagNameEnd = 1 << 3,       // ends a tag name in the tokenizer: blank, '/', '>'
  kElementNameEnd = 1 << 4,   // ends an element name when read back: blank < > = \ / ? !
  kAttrNameEnd = 1 << 5,      // ends an attribute name: '=', blank, '>', '/', '?'
  kNameFollow = 1 << 6,       // may follow a matched name prefix: ' ', '=', '/', '[', ']'
  kSelfCloseBefore = 1 << 7,  // may stand before the "/>" of a self-closed tag: blank ' "
};

struct CharTable {
  uint16_t classes[256];
  constexpr CharTable() : classes{} {
    for (int c = 0; c < 256; ++c) {
      uint16_t k = 0;
      const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r';
      if (blank) k |= kBlank | kTagNameEnd | kElementNameEnd | kAttrNameEnd | kSelfCloseBefore;
      if (c >= 0x81 && c <= 0xFE) k |= kLead;
      if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x7B) {
        k |= kNameStart;
      }
      if (c == '/' || c == '>') k |= kTagNameEnd;
      if (c == '<' || c == '>' || c == '=' || c == '\\' || c == '/' || c == '?' || c == '!') {
        k |= kElementNameEnd;
      }
      if (c == '=' || c == '>' || c == '/' || c == '?') k |= kAttrNameEnd;
      if (c == ' ' || c == '=' || c == '/' || c == '[' || c == ']') k |= kNameFollow;
      if (c == '"' || c == '\'') k |= kSelfCloseBefore;
      classes[c] = k;
    }
  }
};

inline constexpr CharTable kChars{};

inline bool Is(char c, uint16_t mask) {
  return (kChars.classes[static_cast<unsigned char>(c)] & mask) != 0;
}

// Bytes taken by the character at offset i of a text of size n (i < n).
inline int32_t Step(const char* s, int32_t i, int32_t n) {
  return static_cast<int32_t>(text::CharLength(s + i, s + n));
}

// Name match rule for element and attribute names: the name found in the text equals the first
// bytes of the searched name, and the searched name ends there or goes on with a space, '=', '/',
// '[' or ']'. So "ComputerInfo" does not find ComputerInfo2, while "a[2]" finds a.
bool NameMatches(const char* found, int32_t foundLength, const char* searched);

}  // namespace xml_detail
