// Entity escaping of attribute values.
#include <cstring>

#include "xml/xml_chars.h"
#include "xml/xml_document.h"

using namespace xml_detail;

namespace {

int DigitValue(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "&#ddd;" or "&#xhh;" at s[0]: the byte it stands for (1 to 255) and the bytes it takes, or 0.
int NumericReference(const char* s, int32_t available, int32_t& taken) {
  int base = 10;
  int32_t d = 2;
  if (available > 2 && s[2] == 'x') {  // lower-case x only
    base = 16;
    d = 3;
  }
  if (d >= available || DigitValue(s[d], base) < 0) return 0;
  int32_t semicolon = d;
  while (semicolon < available && semicolon - d <= 7 && s[semicolon] != ';') ++semicolon;
  if (semicolon >= available || semicolon - d > 7) return 0;
  // Read as the C runtime reads a long in that base: an optional "0x" in base 16, then digits up
  // to the first character that is not one.
  int32_t i = d;
  if (base == 16 && s[i] == '0' && i + 2 < semicolon && (s[i + 1] == 'x' || s[i + 1] == 'X') &&
      DigitValue(s[i + 2], 16) >= 0) {
    i += 2;
  }
  uint32_t value = 0;
  for (int digit; i < semicolon && (digit = DigitValue(s[i], base)) >= 0; ++i) {
    value = (value * base + digit) & 0xFFFF;
  }
  if (value < 1 || value > 255) return 0;
  taken = semicolon + 1;
  return static_cast<int>(value);
}

struct NamedReference {
  const char* name;  // after the '&'
  int32_t length;
  char character;
};
constexpr NamedReference kNamed[] = {
    {"lt;", 3, '<'}, {"amp;", 4, '&'}, {"gt;", 3, '>'}, {"apos;", 5, '\''}, {"quot;", 5, '"'}};

}  // namespace

std::string XmlDocument::EscapeText(const std::string& text) {
  // The text is a C string: it ends at its first zero byte.
  const char* s = text.c_str();
  const int32_t n = static_cast<int32_t>(std::strlen(s));
  std::string out;
  out.reserve(n + n / 10 + 7);
  for (int32_t i = 0; i < n;) {
    const char c = s[i];
    switch (c) {
      case '<': out += "&lt;"; break;
      case '&': out += "&amp;"; break;
      case '>': out += "&gt;"; break;
      case '\'': out += "&apos;"; break;
      case '"': out += "&quot;"; break;
      default: {
        const int32_t step = Step(s, i, n);
        if (Is(c, kLead) && step == 1) {
          // A lead byte at the very end would take the closing quote written after the value as
          // its trail byte; as a character reference it reads back as the same byte.
          out += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
        } else {
          out.append(s + i, step);
        }
        i += step;
        continue;
      }
    }
    ++i;
  }
  return out;
}

std::string XmlDocument::UnescapeText(const char* text, int length) {
  if (text == nullptr) return std::string();
  const int32_t n = length < 0 ? static_cast<int32_t>(std::strlen(text)) : length;
  std::string out;
  out.reserve(n);
  for (int32_t i = 0; i < n;) {
    if (text[i] != '&') {
      const int32_t step = Step(text, i, n);
      out.append(text + i, step);
      i += step;
      continue;
    }
    const int32_t available = n - i;
    bool replaced = false;
    for (const NamedReference& ref : kNamed) {
      if (available > ref.length && std::memcmp(text + i + 1, ref.name, ref.length) == 0) {
        out += ref.character;
        i += 1 + ref.length;
        replaced = true;
        break;
      }
    }
    if (replaced) continue;
    int32_t taken = 0;
    const int value =
        available > 1 && text[i + 1] == '#' ? NumericReference(text + i, available, taken) : 0;
    if (value != 0) {
      out += static_cast<char>(value);
      i += taken;
    } else {
      out += '&';  // not a reference: the '&' stays, and copying goes on after it
      ++i;
    }
  }
  return out;
}
