// The watch's decisions: the settings a stored value stands for, when a scan is due and when it
// waits, which devices alert after each scan of a run, and the texts of the tray icon's balloon.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/address_text.h"
#include "net/status_labels.h"
#include "watch/alert_rule.h"
#include "watch/alert_texts.h"
#include "watch/watch_menu.h"
#include "watch/watch_schedule.h"
#include "watch/watch_settings.h"

namespace {

using namespace watch;

StoredValue Dword(uint32_t n) {
  return {kDwordType, std::string{char(n), char(n >> 8), char(n >> 16), char(n >> 24)}};
}

TEST(WatchSettingsTest, StoredValuesAndWhatTheyCountAs) {
  const struct {
    ReadValue stored;
    bool enabled;
    uint32_t interval;
  } cases[] = {
      {std::nullopt, false, 300},
      {Dword(0), false, 10},
      {Dword(9), true, 10},
      {Dword(10), true, 10},
      {Dword(86400), true, 86400},
      {Dword(86401), true, 86400},
      {Dword(0xFFFFFFFF), true, 86400},
      {StoredValue{1, std::string("\x01\x00\x00\x00", 4)}, false, 300},   // REG_SZ
      {StoredValue{kDwordType, std::string("\x3C\x00", 2)}, false, 300},  // short
      {StoredValue{11, std::string(8, '\x01')}, false, 300},              // REG_QWORD
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.interval);
    const WatchSettings s = SettingsFrom(c.stored, c.stored);
    EXPECT_EQ(s.enabled, c.enabled);
    EXPECT_EQ(s.intervalSeconds, c.interval);
  }
}

TEST(WatchScheduleTest, DueOneIntervalAfterTheLaterOfSummaryAndSwitchingOn) {
  WatchSchedule s;
  s.SetInterval(60);
  s.NoteSummary(1000);
  EXPECT_FALSE(s.DueAt());  // not watching
  s.SwitchOn(5000);         // after the summary: counted from switching on
  EXPECT_EQ(s.DueAt(), 65000u);
  s.NoteSummary(70000);
  EXPECT_EQ(s.DueAt(), 130000u);
  s.SetInterval(10);  // the new interval from the latest summary, long passed: due at once
  EXPECT_TRUE(s.IsDue(90000));
  s.SwitchOff();
  s.SwitchOn(71000);  // switched on again soon after a summary: a whole interval from now
  EXPECT_EQ(s.DueAt(), 81000u);
  EXPECT_FALSE(s.IsDue(80999));

  WatchSchedule atStart;  // on from the start: the first scan's summary starts the count
  atStart.SwitchOn(0);
  atStart.NoteSummary(4000);
  EXPECT_EQ(atStart.DueAt(), 304000u);

  TickClock clock;  // GetTickCount wraps after 49.7 days
  EXPECT_EQ(clock.Extend(0xFFFFFF00u), 0xFFFFFF00u);
  EXPECT_EQ(clock.Extend(0x10u), 0x100000010u);
}

TEST(WatchScheduleTest, ADueScanWaitsWhileAnythingHoldsIt) {
  EXPECT_FALSE(DueScanWaits({}));
  EXPECT_TRUE(DueScanWaits({true}));
  EXPECT_TRUE(DueScanWaits({false, true}));
  EXPECT_TRUE(DueScanWaits({false, false, true}));
  EXPECT_TRUE(DueScanWaits({false, false, false, true, 59999}));   // the user is at it
  EXPECT_FALSE(DueScanWaits({false, false, false, true, 60000}));  // in front, nobody there
  EXPECT_FALSE(DueScanWaits({false, false, false, false, 0}));     // busy in another window
}

DeviceRecord Row(const std::string& mac, const std::string& ip, bool known = false) {
  return {"host-" + mac.substr(15), ip, known ? kStatusKnown.record : kStatusNotKnown.record, mac};
}

const uint32_t kHome = NetworkOf(Ipv4FromText("192.168.1.20")),
               kOffice = NetworkOf(Ipv4FromText("10.0.0.7"));
const std::string kA = "00-00-00-00-00-0A", kB = "00-00-00-00-00-0B", kC = "00-00-00-00-00-0C";

struct Scan {
  uint32_t network;
  DeviceTable rows;
  std::vector<std::string> alerts;  // MACs
};

TEST(AlertRuleTest, ScansOfARun) {
  const ThisComputer self =
      ThisComputerFrom({AdapterEntry{6, "192.168.1.20", {0, 0x1A, 0, 0, 0, 0x20}},
                        AdapterEntry{71, "192.168.1.21"}});
  const DeviceRecord local{"PC", "192.168.1.20", kStatusLocal.record, "00-1A-00-00-00-20"};
  const DeviceRecord otherAdapter = Row("00-00-00-00-00-21", "192.168.1.21");
  const DeviceRecord sameMacOtherIp{"PC", "192.168.1.99", kStatusNotKnown.record,
                                    "00-1A-00-00-00-20\n"};
  const struct {
    const char* name;
    std::vector<Scan> scans;
  } cases[] = {
      {"baseline, then a newcomer alerts once",
       {{kHome, {local, Row(kA, ".2")}, {}},
        {kHome, {local, Row(kA, ".2"), Row(kB, ".3")}, {kB}},
        {kHome, {local, Row(kA, ".2"), Row(kB, ".3")}, {}}}},
      {"known devices and this computer never alert",
       {{kHome, {local}, {}},
        {kHome, {local, Row(kA, ".2", true), otherAdapter, sameMacOtherIp, Row(kC, ".4")}, {kC}}}},
      {"a MAC that leaves and returns",
       {{kHome, {local, Row(kA, ".2")}, {}},
        {kHome, {local}, {}},
        {kHome, {local, Row(kA, ".9")}, {}}}},
      {"each network has its own baseline",
       {{kHome, {local, Row(kA, ".2")}, {}},
        {kOffice, {Row(kB, "10.0.0.2"), Row(kC, "10.0.0.3")}, {}},
        {kHome, {local, Row(kA, ".2"), Row(kB, ".3")}, {kB}},
        {kOffice, {Row(kB, "10.0.0.2"), Row(kC, "10.0.0.3"), Row(kA, "10.0.0.4")}, {kA}}}},
      {"a MAC alerts once a run, on any network",
       {{kHome, {local}, {}},
        {kOffice, {}, {}},
        {kHome, {local, Row(kA, ".2")}, {kA}},
        {kOffice, {Row(kA, "10.0.0.2")}, {}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RunHistory history;
    for (std::size_t i = 0; i < c.scans.size(); ++i) {
      const std::vector<DeviceRecord> alerts = history.AlertsAfterScan(
          c.scans[i].network, c.scans[i].rows, self, [](const std::string&) { return false; });
      std::vector<std::string> macs;
      for (const DeviceRecord& d : alerts) macs.push_back(d.macText);
      EXPECT_EQ(macs, c.scans[i].alerts) << "scan " << i + 1;
    }
  }
}

// Row 0 keeps its sweep label when the local computer is missing: the registry has the last word.
TEST(AlertRuleTest, ADeviceMarkedKnownBetweenScansNeverAlerts) {
  RunHistory history;
  history.AlertsAfterScan(kHome, {Row(kA, ".2")}, {}, nullptr);
  int asked = 0;
  const auto alerts = history.AlertsAfterScan(kHome, {Row(kA, ".2"), Row(kB, ".3"), Row(kC, ".4")},
                                              {}, [&](const std::string& mac) {
                                                ++asked;
                                                return mac == kB;
                                              });
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].macText, kC);
  EXPECT_EQ(asked, 2);  // only the rows that would alert
}

TEST(AlertTextsTest, BalloonTipAndDebugLine) {
  DeviceRecord phone{"phone-wang", "192.168.1.64", kStatusNotKnown.record, "F2-18-98-5A-6B-64\n"};
  BalloonText one = AlertBalloon({phone});
  EXPECT_EQ(one.title, "发现新的未知设备");
  EXPECT_EQ(one.text,
            "phone-wang\nIP：192.168.1.64  MAC：F2-18-98-5A-6B-64\n"
            "随机 MAC 地址（手机、平板等设备的隐私地址，无法识别厂商）");
  EXPECT_EQ(AlertDebugLine(phone), "发现新的未知设备：F2-18-98-5A-6B-64 192.168.1.64 phone-wang\n");

  std::vector<DeviceRecord> four(4, phone);
  four[3].hostName = "last";
  BalloonText many = AlertBalloon(four);
  EXPECT_EQ(many.title, "发现 4 台新的未知设备");
  EXPECT_EQ(many.text,
            "phone-wang  192.168.1.64\nphone-wang  192.168.1.64\nphone-wang  192.168.1.64\n……");
  EXPECT_EQ(AlertBalloon({phone, phone}).text,
            "phone-wang  192.168.1.64\nphone-wang  192.168.1.64");

  // A name of two-byte characters is cut before the field's last byte, never inside a character.
  phone.hostName = std::string(254, 'x') + "名字";
  EXPECT_EQ(AlertBalloon({phone}).text, std::string(254, 'x'));  // 255 would split 名
  EXPECT_EQ(CutToField("ab名", 4), "ab");
  EXPECT_EQ(CutToField("ab名", 5), "ab名");

  EXPECT_EQ(WatchTip(std::nullopt), "Tarnlook 正在监视您的局域网");
  EXPECT_EQ(WatchTip(3), "Tarnlook 正在监视您的局域网：3 个未知设备");
}

TEST(WatchMenuTest, TheStoredIntervalsChoiceIsChecked) {
  EXPECT_EQ(CheckedIntervalChoice(60), 0);
  EXPECT_EQ(CheckedIntervalChoice(3600), 4);
  EXPECT_EQ(CheckedIntervalChoice(10), -1);
  EXPECT_EQ(CheckedIntervalChoice(301), -1);
}

}  // namespace
