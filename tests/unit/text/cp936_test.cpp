#include "text/cp936.h"

#include <gtest/gtest.h>

namespace {

// "主机" in GBK is D6 F7 BB FA; the trail byte 0x3A-like patterns below check boundaries.
TEST(Cp936, SearchOnlyMatchesAtCharacterBoundaries) {
  const std::string s = "\xD6\xF7\xBB\xFA:x";
  EXPECT_EQ(text::Find(s, "\xF7\xBB"), std::string::npos);  // spans two characters' halves
  EXPECT_EQ(text::Find(s, "\xBB\xFA"), 2u);
  EXPECT_EQ(text::FindChar(s, ':'), 4u);
  // A trail byte equal to an ASCII delimiter is not the delimiter: 0x81 0x3A is one character.
  EXPECT_EQ(text::FindChar("\x81:a:", ':'), 3u);
  EXPECT_TRUE(text::Contains("\n\n标记为已知", "标记为已知"));
  EXPECT_FALSE(text::Contains("\n\n标记为未知", "标记为已知"));
}

TEST(Cp936, LoneLeadByteAtTheEndStandsAlone) {
  const std::string s = "ab\x81";
  EXPECT_EQ(text::CharLength(s, 2), 1u);
  EXPECT_EQ(text::FindChar(s, 'x'), std::string::npos);
  EXPECT_EQ(text::WholeCharPrefix(s, 16), 3u);
}

TEST(Cp936, WholeCharPrefixNeverSplitsACharacter) {
  const std::string name = "abcdefghijklmno主机";  // 15 ASCII bytes, then two 2-byte characters
  EXPECT_EQ(text::WholeCharPrefix(name, 16), 15u);
  EXPECT_EQ(text::WholeCharPrefix(name, 17), 17u);
  EXPECT_EQ(text::WholeCharPrefix("1234567890123456", 16), 16u);
}

TEST(Cp936, TrimRemovesAllSixBlanks) {
  EXPECT_EQ(text::Trim(" \t\n\v\f\r00-1A\n\n"), "00-1A");
  EXPECT_EQ(text::Trim("   "), "");
  EXPECT_EQ(text::Trim(""), "");
}

}  // namespace
