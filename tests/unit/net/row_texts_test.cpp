#include "net/row_texts.h"

#include <gtest/gtest.h>

#include "net/address_text.h"

namespace {

TEST(RowTextsTest, CellTextsAreByteExact) {
  EXPECT_EQ(HostCellText("nas"), "\n当前电脑\n\n主机名: nas");
  EXPECT_EQ(AddressCellText("00-1A-2B-3C-4D-5E", "192.168.1.23"),
            "\nMAC地址:00-1A-2B-3C-4D-5E\n\nIP地址: 192.168.1.23");
  EXPECT_EQ(StatusCellText("\n标记为已知"), "\n\n标记为已知");
  EXPECT_EQ(std::string(kStatusNotKnown.record).size(),
            11u);  // a line break and five double-byte characters
}

TEST(RowTextsTest, ReadBackTakesTheDeviceOutOfTheRow) {
  const DeviceRecord record =
      ReadRowBack(HostCellText("打印机:2"), AddressCellText("00-1A-2B-3C-4D-5E", "10.0.0.9"),
                  StatusCellText(kStatusKnown.record));
  EXPECT_EQ(record.hostName, "打印机:2");              // only the first colon counts
  EXPECT_EQ(record.macText, "00-1A-2B-3C-4D-5E\n\n");  // the line feeds before IP地址 stay
  EXPECT_EQ(record.statusLabel, "\n\n标记为未知");
  EXPECT_EQ(record.ipText, "");
}

TEST(RowTextsTest, ReadBackOfOddCells) {
  struct Case {
    const char* what;
    std::string column0, column1, host, mac;
  } cases[] = {
      {"empty cells", "", "", "", ""},
      {"no colon: all but the first byte", "abc", "no-eye-here", "bc", ""},
      {"colon last", "x:", "MAC:AB-CD", "", ""},
      {"name empty after the blank", "主机名: ", "\nMAC地址:\n\nIP地址: ", "", "\n\n"},
      {"no colon before the I", "x: y", "abcIdef", "y", "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DeviceRecord r = ReadRowBack(c.column0, c.column1, "");
    EXPECT_EQ(r.hostName, c.host);
    EXPECT_EQ(r.macText, c.mac);
  }
}

TEST(RowTextsTest, UnknownMarkIsFoundOnCharacterBoundariesOnly) {
  EXPECT_TRUE(IsMarkedUnknown("\n\n标记为已知"));
  EXPECT_FALSE(IsMarkedUnknown("\n\n标记为未知"));
  EXPECT_FALSE(IsMarkedUnknown("\n\n本机"));
  // A lead byte in front pairs with the first byte of 标, so the label is not there as characters.
  EXPECT_FALSE(IsMarkedUnknown(std::string("\x81") + "标记为已知"));
}

TEST(AddressTextTest, DottedTextBothWays) {
  struct Case {
    const char* text;
    uint32_t address;  // kInvalidAddress: names none
    const char* back;  // nullptr: same as text
  } cases[] = {
      {"192.168.1.23", 0, nullptr},
      {"0.0.0.0", 0, nullptr},
      {"255.255.255.254", 0, nullptr},
      {"10.1", 0, "10.0.0.1"},
      {"0x7f.0.0.1", 0, "127.0.0.1"},
      {"010.0.0.1", 0, "8.0.0.1"},
      {"192.168.1.23 ", 0, "192.168.1.23"},
      {"", kInvalidAddress, nullptr},
      {"256.1.1.1", kInvalidAddress, nullptr},
      {"1.2.3.4.5", kInvalidAddress, nullptr},
      {"1.2.3.x", kInvalidAddress, nullptr},
      {"abc", kInvalidAddress, nullptr},
      {"1..2", kInvalidAddress, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const uint32_t address = Ipv4FromText(c.text);
    if (c.address == kInvalidAddress) {
      EXPECT_EQ(address, kInvalidAddress);
    } else {
      EXPECT_EQ(Ipv4ToText(address), c.back ? c.back : c.text);
    }
  }
  const unsigned char bytes[4] = {192, 168, 1, 23};  // network byte order in memory
  EXPECT_EQ(Ipv4ToText(*reinterpret_cast<const uint32_t*>(bytes)), "192.168.1.23");
  EXPECT_EQ(Ipv4ToText(WithHostNumber(Ipv4FromText("192.168.1.37"), 254)), "192.168.1.254");
}

TEST(AddressTextTest, MacTextIsUpperCaseHexJoinedByDashes) {
  const unsigned char mac[6] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
  EXPECT_EQ(FormatMacText(mac), "00-1A-2B-3C-4D-5E");
}

}  // namespace
