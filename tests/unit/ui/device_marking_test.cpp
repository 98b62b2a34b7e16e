// Marking and renaming: the decisions of the list's double-click and the name editor's commit,
// checked against a real ComputerInfo.xml in a scratch folder.
#include "ui/core/device_marking.h"

#include <array>
#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "net/name_sources.h"
#include "net/row_texts.h"
#include "registry/registry_file.h"
#include "ui/core/device_details.h"
#include "xml/base64.h"

namespace {

// The list's rows; a row that does not exist reads empty and cannot be written, as in the list.
class FakeRows : public DeviceRows {
 public:
  void Add(const std::string& host, const std::string& mac, const std::string& ip,
           const std::string& label) {
    m_rows.push_back({HostCellText(host), AddressCellText(mac, ip), StatusCellText(label)});
  }
  std::string CellText(int row, int column) override {
    return Exists(row) ? m_rows[row][column] : std::string();
  }
  void SetCellText(int row, int column, const std::string& text) override {
    if (Exists(row)) m_rows[row][column] = text;
  }

 private:
  bool Exists(int row) const { return row >= 0 && row < static_cast<int>(m_rows.size()); }
  std::vector<std::array<std::string, 3>> m_rows;
};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

int CountEntries(const std::string& path) {
  const std::string text = DecodeBase64(ReadBytes(path));
  int count = 0;
  for (std::size_t at = text.find("<ComputerInfo"); at != std::string::npos;
       at = text.find("<ComputerInfo", at + 1)) {
    ++count;
  }
  return count;
}

class MarkingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_path = ::testing::TempDir() + "marking_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_ComputerInfo.xml";
    std::remove(m_path.c_str());
    m_rows.Add("MYPC", "00-11-22-33-44-01", "192.168.1.37", kStatusLocal.record);
    m_rows.Add("printer", "00-1A-2B-3C-4D-5E", "192.168.1.20", kStatusNotKnown.record);
    m_rows.Add("nas", "00-1A-2B-3C-4D-99", "192.168.1.30", kStatusKnown.record);
  }
  void TearDown() override { std::remove(m_path.c_str()); }

  std::optional<std::string> Stored(const char* mac, const char* attribute) {
    return AccessDeviceAttribute(m_path, mac, false, attribute, "");
  }

  FakeRows m_rows;
  std::string m_path;
};

TEST(DoubleClick, OnlyStatusAndNameCellsOfDeviceRowsAct) {
  struct Case {
    int row, column;
    DoubleClickAction action;
  } cases[] = {
      {-1, 2, DoubleClickAction::kIgnore},      {-1, 0, DoubleClickAction::kIgnore},
      {0, 0, DoubleClickAction::kIgnore},       {0, 2, DoubleClickAction::kIgnore},
      {3, 1, DoubleClickAction::kIgnore},       {3, -1, DoubleClickAction::kIgnore},
      {3, 2, DoubleClickAction::kToggleStatus}, {1, 0, DoubleClickAction::kOpenEditor},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyDoubleClick(c.row, c.column), c.action) << c.row << "," << c.column;
  }
}

TEST(DoubleClick, ToggleSwapsTheTwoLabels) {
  EXPECT_EQ(ToggledStatusCell("\n\n标记为已知"), "\n\n标记为未知");
  EXPECT_EQ(ToggledStatusCell("\n\n标记为未知"), "\n\n标记为已知");
  EXPECT_EQ(ToggledStatusCell(""), "\n\n标记为已知");
}

TEST(DoubleClick, EditorCoversTheHostNameLineOfTheCell) {
  // A 52-pixel row's name cell at 10,20-216,72 in a list placed at 2,112: 12,132-218,184 in the
  // dialog. The editor lies on the cell's lower line (the name), right of the device icon.
  const EditorPlacement at = PlaceNameEditor(10, 20, 216, 72, 2, 112);
  EXPECT_GE(at.x, 12 + 32);
  EXPECT_GE(at.y, 132 + 26);
  EXPECT_LE(at.y + at.height, 184);
  EXPECT_GE(at.height, 16);     // one line of the text font
  EXPECT_GT(at.width, 16 * 8);  // room for the longest name
}

TEST_F(MarkingTest, ToggleStoresANewEntryThenFlipsItBackWithoutASecond) {
  ToggleDeviceStatus(m_rows, 1, m_path);
  EXPECT_EQ(m_rows.CellText(1, 2), "\n\n标记为未知");
  ASSERT_EQ(CountEntries(m_path), 1);
  const std::string text = DecodeBase64(ReadBytes(m_path));
  EXPECT_NE(text.find("USERNAME=\"printer\""), std::string::npos) << text;
  EXPECT_NE(text.find("STATUS=\"\n\n标记为未知\""), std::string::npos) << text;
  EXPECT_NE(text.find("MAC=\"00-1A-2B-3C-4D-5E\n\n\""), std::string::npos) << text;

  ToggleDeviceStatus(m_rows, 1, m_path);
  EXPECT_EQ(m_rows.CellText(1, 2), "\n\n标记为已知");
  EXPECT_EQ(CountEntries(m_path), 1);
  EXPECT_EQ(Stored("00-1A-2B-3C-4D-5E", "STATUS"), "标记为已知");
}

TEST_F(MarkingTest, ToggleOfAKnownDeviceMakesItUnknown) {
  ToggleDeviceStatus(m_rows, 2, m_path);
  EXPECT_EQ(m_rows.CellText(2, 2), "\n\n标记为已知");
  EXPECT_EQ(Stored("00-1A-2B-3C-4D-99", "STATUS"), "标记为已知");
  EXPECT_EQ(Stored("00-1A-2B-3C-4D-99", "USERNAME"), "nas");
}

TEST_F(MarkingTest, NameOfSixteenBytesIsShownAndStored) {
  std::string name = "客厅的网络打印机";  // 8 double-byte characters, 16 bytes
  ASSERT_EQ(name.size(), 16u);
  EXPECT_EQ(CommitHostName(m_rows, 1, 0, name, "printer", m_path), NameCommit::kStored);
  EXPECT_EQ(name, "\n当前电脑\n\n主机名: 客厅的网络打印机");
  EXPECT_EQ(m_rows.CellText(1, 0), name);
  EXPECT_EQ(Stored("00-1A-2B-3C-4D-5E", "USERNAME"), "客厅的网络打印机");
  // A device with no entry takes the row's current label with it.
  EXPECT_EQ(Stored("00-1A-2B-3C-4D-5E", "STATUS"), "标记为已知");

  std::string again = "printer2";
  EXPECT_EQ(CommitHostName(m_rows, 1, 0, again, "客厅的网络打印机", m_path), NameCommit::kStored);
  EXPECT_EQ(CountEntries(m_path), 1);
  EXPECT_EQ(Stored("00-1A-2B-3C-4D-5E", "USERNAME"), "printer2");
}

TEST_F(MarkingTest, RefusedOrEmptyOrUnchangedNamesChangeNothing) {
  ToggleDeviceStatus(m_rows, 2, m_path);  // the file exists and holds one entry
  const std::string before = ReadBytes(m_path);
  const std::string cellBefore = m_rows.CellText(2, 0);
  struct Case {
    const char* name;
    NameCommit outcome;
  } cases[] = {
      {"12345678901234567", NameCommit::kTooLong},
      {"客厅的网络打印机X", NameCommit::kTooLong},
      {"", NameCommit::kCancelled},
      {"nas", NameCommit::kUnchanged},
  };
  for (const Case& c : cases) {
    std::string name = c.name;
    EXPECT_EQ(CommitHostName(m_rows, 2, 0, name, "nas", m_path), c.outcome) << c.name;
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(m_rows.CellText(2, 0), cellBefore);
    EXPECT_EQ(ReadBytes(m_path), before) << c.name;
  }
}

TEST_F(MarkingTest, NoticesNamingNoRowWriteNothing) {
  std::string name = "ghost";
  EXPECT_EQ(CommitHostName(m_rows, -1, 0, name, "", m_path), NameCommit::kCancelled);
  EXPECT_FALSE(Exists(m_path));
}

TEST_F(MarkingTest, RowsThatReadBackWithoutAMacStoreNothing) {
  // The list is being torn down while the editor still commits: its cells read empty.
  FakeRows gone;
  std::string name = "late";
  EXPECT_EQ(CommitHostName(gone, 3, 0, name, "old", m_path), NameCommit::kStored);
  ToggleDeviceStatus(gone, 3, m_path);
  EXPECT_FALSE(Exists(m_path));
}

TEST_F(MarkingTest, BlanksAroundANameAreStoredAsTyped) {
  std::string name = " tv ";
  EXPECT_EQ(CommitHostName(m_rows, 1, 0, name, "printer", m_path), NameCommit::kStored);
  const std::string text = DecodeBase64(ReadBytes(m_path));
  EXPECT_NE(text.find("USERNAME=\" tv \""), std::string::npos) << text;
}

// The tooltip and the copy menu read the same rows: this computer, a phone with a private address,
// an Apple device, one of no registered maker; a row past the last names nothing.
TEST(DeviceDetails, TooltipsAndCopiedTextsComeFromTheRows) {
  FakeRows rows;
  rows.Add("MYPC", "00-1B-63-00-00-01", "192.168.1.37", kStatusLocal.record);
  rows.Add("phone", "DA-A1-19-5B-00-01", "192.168.1.20", kStatusNotKnown.record);
  rows.Add("mac", "00-1b-63-aa-bb-cc", "192.168.1.30", kStatusKnown.record);
  rows.Add("未知主机名", "0C-00-00-00-00-01", "192.168.1.40", kStatusNotKnown.record);
  const char* tips[] = {"厂商：Apple",
                        "随机 MAC 地址（手机、平板等设备的隐私地址，无法识别厂商）",
                        "厂商：Apple",
                        "厂商：未知",
                        "",
                        ""};
  for (int row = 0; row < 6; ++row) EXPECT_EQ(DeviceTipText(rows, 4, row), tips[row]) << row;
  EXPECT_EQ(DeviceTipText(rows, 4, -1), "");

  EXPECT_EQ(CopiedText(rows, 4, 1, CopyCommand::kMacAddress), "DA-A1-19-5B-00-01");

  // Where this scan found a row's name, the tooltip says how; a typed name, the placeholder and a
  // 16-byte cut are told apart by the name alone. Two addresses with one MAC keep a source each.
  ClearNameSources();
  NoteNameSource("192.168.1.37", "00-1B-63-00-00-01", "MYPC", NameSource::kDns);
  NoteNameSource("192.168.1.20", "DA-A1-19-5B-00-01", "phone-of-wang.home", NameSource::kMdns);
  NoteNameSource("192.168.1.31", "00-1B-63-AA-BB-CC", "macbook", NameSource::kMdns);
  NoteNameSource("192.168.1.30", "00-1B-63-AA-BB-CC", "MACBOOK", NameSource::kNetbios);
  FakeRows named;
  named.Add("MYPC", "00-1B-63-00-00-01", "192.168.1.37", kStatusLocal.record);
  named.Add("phone-of-wang.ho", "DA-A1-19-5B-00-01", "192.168.1.20", kStatusNotKnown.record);
  named.Add("mac", "00-1B-63-AA-BB-CC", "192.168.1.30", kStatusKnown.record);  // renamed since
  named.Add("macbook", "00-1B-63-AA-BB-CC", "192.168.1.31", kStatusKnown.record);
  const char* sources[] = {
      "厂商：Apple\r\n名称来源：DNS",
      "随机 MAC 地址（手机、平板等设备的隐私地址，无法识别厂商）\r\n名称来源：mDNS", "厂商：Apple",
      "厂商：Apple\r\n名称来源：mDNS"};
  for (int row = 0; row < 4; ++row) EXPECT_EQ(DeviceTipText(named, 4, row), sources[row]) << row;
  ClearNameSources();

  EXPECT_EQ(CopiedText(rows, 4, 1, CopyCommand::kIpAddress), "192.168.1.20");
  EXPECT_EQ(CopiedText(rows, 4, 3, CopyCommand::kHostName), "未知主机名");
  EXPECT_EQ(CopiedText(rows, 4, 4, CopyCommand::kHostName), "");
  ASSERT_EQ(CopyMenuItemsFor(4, 3).size(), 4u);
  for (int offRow : {4, -1}) {
    ASSERT_EQ(CopyMenuItemsFor(4, offRow).size(), 1u);
    EXPECT_EQ(CopyMenuItemsFor(4, offRow)[0].command, CopyCommand::kAllDevices);
  }
  EXPECT_EQ(CopiedText(rows, 4, -1, CopyCommand::kAllDevices),
            "主机名\tMAC地址\tIP地址\t状态\t厂商\r\n"
            "MYPC\t00-1B-63-00-00-01\t192.168.1.37\t本机\tApple\r\n"
            "phone\tDA-A1-19-5B-00-01\t192.168.1.20\t未知\t随机 MAC 地址\r\n"
            "mac\t00-1b-63-aa-bb-cc\t192.168.1.30\t已知\tApple\r\n"
            "未知主机名\t0C-00-00-00-00-01\t192.168.1.40\t未知\t未知\r\n");
}

TEST_F(MarkingTest, MissingProfileFolderStillChangesTheList) {
  const std::string nowhere = ::testing::TempDir() + "no-such-folder/ComputerInfo.xml";
  ToggleDeviceStatus(m_rows, 1, nowhere);
  EXPECT_EQ(m_rows.CellText(1, 2), "\n\n标记为未知");
  EXPECT_FALSE(Exists(nowhere));
}

}  // namespace
