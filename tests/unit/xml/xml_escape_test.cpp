#include <gtest/gtest.h>

#include <string>

#include "xml/xml_document.h"

namespace {

struct EscapeCase {
  std::string text;
  std::string escaped;
};

const EscapeCase kEscapeCases[] = {
    {"<&>'\"", "&lt;&amp;&gt;&apos;&quot;"},
    {"plain \n\n text", "plain \n\n text"},
    {"\xB1\xEA\xBC\xC7<", "\xB1\xEA\xBC\xC7&lt;"},  // whole multibyte characters
    {"\x81<", "\x81<"},                             // the '<' is this character's trail byte
    {"a\x81", "a&#129;"},           // a dangling lead byte would pair with the closing quote
    {std::string("a\0<", 3), "a"},  // the text ends at its first zero byte
    {"", ""},
};

TEST(XmlEscape, EscapeText) {
  for (const EscapeCase& c : kEscapeCases) {
    EXPECT_EQ(XmlDocument::EscapeText(c.text), c.escaped) << c.text;
  }
}

struct UnescapeCase {
  const char* text;
  int length;
  const char* result;
};

const UnescapeCase kUnescapeCases[] = {
    {"&lt;&amp;&gt;&apos;&quot;", -1, "<&>'\""},
    {"&#65;", -1, "A"},
    {"&#x41;", -1, "A"},
    {"A", -1, "A"},
    {"&#x4a;&#x4A;", -1, "JJ"},
    {"&#X41;", -1, "&#X41;"},  // capital X is not a reference
    {"&#300;", -1, "&#300;"},  // above 255
    {"&#0;", -1, "&#0;"},
    {"&#65601;", -1, "A"},               // taken modulo 65536
    {"&#65x;", -1, "A"},                 // the number stops at the first non-digit
    {"&#1234567;", -1, "&#1234567;"},    // 54919 after the modulo
    {"&#00000065;", -1, "&#00000065;"},  // ';' more than 7 bytes after the digits begin
    {"&#0000065;", -1, "A"},
    {"&#65", -1, "&#65"},  // no ';'
    {"&#;", -1, "&#;"},
    {"&#x;", -1, "&#x;"},
    {"&#129;", -1, "\x81"},
    {"&lt", -1, "&lt"},
    {"&lt;", 3, "&lt"},  // the reference must be complete within the length
    {"&#65;", 4, "&#65"},
    {"a & b", -1, "a & b"},
    {"&&lt;", -1, "&<"},
    {"\xB1\xEA&lt;", -1, "\xB1\xEA<"},
    {"\x81&lt;", -1, "\x81&lt;"},  // the '&' is the trail byte of \x81
    {"ab\x81", 3, "ab\x81"},       // a lone lead byte at the end stays alone
    {"ab\x81xyz", 3, "ab\x81"},
};

TEST(XmlEscape, UnescapeText) {
  for (const UnescapeCase& c : kUnescapeCases) {
    EXPECT_EQ(XmlDocument::UnescapeText(c.text, c.length), c.result) << c.text;
  }
  EXPECT_EQ(XmlDocument::UnescapeText(nullptr), "");
}

TEST(XmlEscape, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  all += "\xD6";  // ends in a lead byte
  EXPECT_EQ(XmlDocument::UnescapeText(XmlDocument::EscapeText(all).c_str()), all);
}

}  // namespace
