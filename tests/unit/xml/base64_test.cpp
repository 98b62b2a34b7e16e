#include "xml/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Base64Case {
  std::string bytes;
  std::string text;
};

const Base64Case kEncodeCases[] = {
    {"", ""},
    {"A", "QQ=="},
    {"AB", "QUI="},
    {"ABC", "QUJD"},
    {"<CONFIG/>", "PENPTkZJRy8+"},
    {std::string("\0\xff\xfe", 3), "AP/+"},
};

TEST(Base64, EncodePadsTheLastGroup) {
  for (const Base64Case& c : kEncodeCases) {
    EXPECT_EQ(EncodeBase64(c.bytes), c.text);
    EXPECT_EQ(DecodeBase64(c.text), c.bytes);
  }
}

const Base64Case kDecodeCases[] = {
    {"A", "QQ"},  // an incomplete group still gives its whole bytes
    {"AB", "QUI"},        {"", "Q"},
    {"ABC", "QU\r\nJD"},                            // line breaks and spaces are skipped
    {"ABC", " Q U J D "}, {"ABC", "\xffQ\x80UJD"},  // so are bytes above 0x7F
    {"A", "QQ==QUJD"},                       // '=' in the third or fourth place ends the decoding
    {"AB", "QUI=QUJD"},   {"ABC", "=QUJD"},  // '=' in the first or second place is skipped
    {"ABC", "Q=UJD"},     {"ABCABC", "QUJDQUJD"},
};

TEST(Base64, DecodeSkipsAndStops) {
  for (const Base64Case& c : kDecodeCases) {
    EXPECT_EQ(DecodeBase64(c.text), c.bytes) << c.text;
  }
}

TEST(Base64, EveryByteValueRoundTrips) {
  std::string all;
  for (int round = 0; round < 3; ++round) {
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c ^ round);
    EXPECT_EQ(DecodeBase64(EncodeBase64(all)), all);
    all.pop_back();
  }
}

}  // namespace
