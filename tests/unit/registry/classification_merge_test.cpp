#include "registry/classification_merge.h"

#include <gtest/gtest.h>

#include <map>
#include <new>
#include <utility>
#include <vector>

#include "net/name_sources.h"
#include "registry/profile_location.h"
#include "registry/registry_file.h"
#include "registry_test_support.h"

namespace {

using registry_test::FakeRegistryOsPort;
using registry_test::ScopedPort;
using registry_test::TempDir;
using registry_test::WriteDocument;

const std::string kUnknown = "\n标记为已知";
const std::string kKnown = "\n标记为未知";
const std::string kLocal = "\n本机";

DeviceRecord Row(const std::string& name, const std::string& mac,
                 const std::string& label = kUnknown) {
  return DeviceRecord{name, "192.168.1.9", label, mac};
}

// Answers lookups from a map keyed by (MAC, attribute) and records every call.
struct CountingLookup {
  std::map<std::pair<std::string, std::string>, std::string> answers;
  std::vector<std::pair<std::string, std::string>> calls;

  AttributeLookup Bind() {
    return [this](const std::string& mac, const char* attribute) -> std::optional<std::string> {
      calls.emplace_back(mac, attribute);
      const auto it = answers.find({mac, attribute});
      if (it == answers.end()) return std::nullopt;
      return it->second;
    };
  }
};

TEST(MergeRegistryInto, EmptyTableOrLocalRowAloneMakesNoLookup) {
  CountingLookup lookup;
  DeviceTable table;
  MergeRegistryInto(table, lookup.Bind());
  table.push_back(Row("me", "00-00-00-00-00-01", kLocal));
  lookup.answers[{"00-00-00-00-00-01", "STATUS"}] = "标记为未知";
  MergeRegistryInto(table, lookup.Bind());
  EXPECT_TRUE(lookup.calls.empty());
  EXPECT_EQ(table[0].statusLabel, kLocal);
  EXPECT_EQ(table[0].hostName, "me");
}

TEST(MergeRegistryInto, AtMostTwoLookupsPerRowAndOneWithoutEntry) {
  CountingLookup lookup;
  lookup.answers[{"AA", "STATUS"}] = "标记为已知";
  lookup.answers[{"AA", "USERNAME"}] = "tv";
  DeviceTable table = {Row("me", "00", kLocal), Row("x", "AA"), Row("y", "BB")};
  MergeRegistryInto(table, lookup.Bind());
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"AA", "STATUS"}, {"AA", "USERNAME"}, {"BB", "STATUS"}};
  EXPECT_EQ(lookup.calls, expected);
}

TEST(MergeRegistryInto, KeepsTheNameWhenTheSecondLookupFindsNothing) {
  CountingLookup lookup;
  lookup.answers[{"AA", "STATUS"}] = "标记为未知";
  DeviceTable table = {Row("me", "00", kLocal), Row("resolved", "AA")};
  MergeRegistryInto(table, lookup.Bind());
  EXPECT_EQ(table[1].hostName, "resolved");
  EXPECT_EQ(table[1].statusLabel, kKnown);
}

TEST(MergeRegistryInto, ALookupThatThrowsLeavesEveryRowWithItsSweepTexts) {
  CountingLookup lookup;
  lookup.answers[{"AA", "STATUS"}] = "标记为未知";
  const AttributeLookup answers = lookup.Bind();
  DeviceTable table = {Row("me", "00", kLocal), Row("resolved", "AA"), Row("y", "BB")};
  EXPECT_THROW(MergeRegistryInto(table,
                                 [&](const std::string& mac, const char* attribute) {
                                   if (mac == "BB") throw std::bad_alloc();
                                   return answers(mac, attribute);
                                 }),
               std::bad_alloc);
  EXPECT_EQ(table[1].statusLabel, kUnknown);  // not half merged
}

// A stored name has no source, even one that reads as the cut name the device announced.
TEST(MergeRegistryInto, StoredPlaceholderDoesNotHideAnAnnouncedName) {
  ClearNameSources();
  const std::string ip = Row("", "").ipText;
  NoteNameSource(ip, "AA", "macbook", NameSource::kMdns);
  NoteNameSource(ip, "BB", "NAS-BOX", NameSource::kNetbios);
  NoteNameSource(ip, "CC", "router.lan", NameSource::kDns);
  NoteNameSource(ip, "DD", "phone", NameSource::kMdns);
  NoteNameSource(ip, "FF", "phone-of-wang.home", NameSource::kMdns);
  CountingLookup lookup;
  for (const char* mac : {"AA", "BB", "CC", "DD", "EE", "FF"}) {
    lookup.answers[{mac, "STATUS"}] = "标记为未知";
    lookup.answers[{mac, "USERNAME"}] = "未知主机名";
  }
  lookup.answers[{"DD", "USERNAME"}] = "王的手机";  // a name the user chose
  lookup.answers[{"FF", "USERNAME"}] = "phone-of-wang.ho";
  DeviceTable table = {
      Row("me", "00", kLocal),        Row("macbook", "AA"), Row("NAS-BOX", "BB"),
      Row("router.lan", "CC"),        Row("phone", "DD"),   Row("未知主机名", "EE"),
      Row("phone-of-wang.home", "FF")};
  MergeRegistryInto(table, lookup.Bind());
  const char* names[] = {"me",       "macbook",    "NAS-BOX",         "未知主机名",
                         "王的手机", "未知主机名", "phone-of-wang.ho"};
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(table[i].hostName, names[i]) << i;
    if (i) {
      EXPECT_EQ(table[i].statusLabel, kKnown) << i;  // the status merges as before
    }
  }
  EXPECT_EQ(NameSourceOf(ip, "AA", "macbook"), NameSource::kMdns);
  EXPECT_EQ(NameSourceOf(ip, "FF", "phone-of-wang.ho"), NameSource::kNone);
  ClearNameSources();
}

// The whole merge on a real file found through the profile directory.
class MergeRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The directory text ends in a backslash, so it is taken as the profile directory itself.
    port.install = {platform::InstallKeyState::kValue, dir.path().string() + "/\\"};
    path = GetProfileDirectory() + kRegistryFileName;
    g_deviceTable.clear();
  }
  void TearDown() override { g_deviceTable.clear(); }

  TempDir dir;
  FakeRegistryOsPort port;
  ScopedPort scoped{port};
  std::string path;
};

TEST_F(MergeRegistryTest, LaysStoredNamesAndStatusesOverTheSweep) {
  WriteDocument(
      path,
      "<?xml version=\"1.0\"?><CONFIG>\r\n<ComputerId1/>\r\n"
      "<ComputerInfo USERNAME=\"mine\" STATUS=\"\n\n标记为未知\" "
      "MAC=\"00-00-00-00-00-01\n\n\"/>\r\n"
      "<ComputerInfo USERNAME=\"printer\" STATUS=\"\n\n标记为未知\" "
      "MAC=\"00-1A-2B-3C-4D-5E\n\n\"/>\r\n"
      "<ComputerInfo USERNAME=\"phone\" STATUS=\"\n\n标记为已知\" "
      "MAC=\"11-11-11-11-11-11\n\n\"/>\r\n"
      "<ComputerInfo USERNAME=\"\" STATUS=\"\n\n标记为未知\" MAC=\"22-22-22-22-22-22\n\n\"/>\r\n"
      "<ComputerInfo USERNAME=\"odd\" STATUS=\"标记为未知了\" MAC=\"33-33-33-33-33-33\"/>\r\n"
      "<ComputerInfo USERNAME=\"tv\" MAC=\"44-44-44-44-44-44\"/>\r\n"
      "</CONFIG>\r\n");
  g_deviceTable = {Row("me", "00-00-00-00-00-01", kLocal), Row("host-a", "00-1A-2B-3C-4D-5E"),
                   Row("host-b", "11-11-11-11-11-11"),     Row("未知主机名", "22-22-22-22-22-22"),
                   Row("host-c", "33-33-33-33-33-33"),     Row("host-d", "44-44-44-44-44-44"),
                   Row("未知主机名", "55-55-55-55-55-55")};
  MergeRegistry();

  const std::vector<std::pair<std::string, std::string>> expected = {
      {"me", kLocal},                 // row 0 is never touched
      {"printer", kKnown},            // known, stored name
      {"phone", kUnknown},            // still unknown, but takes the name
      {"22-22-22-22-22-22", kKnown},  // empty USERNAME gives the MAC
      {"odd", kUnknown},              // only the exact label marks a device known
      {"tv", kUnknown},               // no STATUS: the read gives the MAC, no label
      {"未知主机名", kUnknown},       // no entry
  };
  ASSERT_EQ(g_deviceTable.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(g_deviceTable[i].hostName, expected[i].first) << "row " << i;
    EXPECT_EQ(g_deviceTable[i].statusLabel, expected[i].second) << "row " << i;
  }
}

TEST_F(MergeRegistryTest, RowZeroIsSkippedEvenWhenItIsNotTheLocalComputer) {
  WriteDocument(path,
                "<CONFIG><ComputerInfo USERNAME=\"p\" STATUS=\"标记为未知\" MAC=\"AA\"/></CONFIG>");
  g_deviceTable = {Row("first", "AA"), Row("second", "AA")};
  MergeRegistry();
  EXPECT_EQ(g_deviceTable[0].hostName, "first");
  EXPECT_EQ(g_deviceTable[0].statusLabel, kUnknown);
  EXPECT_EQ(g_deviceTable[1].hostName, "p");
  EXPECT_EQ(g_deviceTable[1].statusLabel, kKnown);
}

TEST_F(MergeRegistryTest, MissingFileLeavesEveryRowAndCreatesNothing) {
  g_deviceTable = {Row("me", "00", kLocal), Row("host-a", "00-1A-2B-3C-4D-5E")};
  MergeRegistry();
  EXPECT_EQ(g_deviceTable[1].hostName, "host-a");
  EXPECT_EQ(g_deviceTable[1].statusLabel, kUnknown);
  EXPECT_FALSE(registry_test::FileExists(path));
}

}  // namespace
