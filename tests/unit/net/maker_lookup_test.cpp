// The maker table as the build generated it from the machine's ieee-data: prefixes whose names
// have stood for years, with the legal forms the generator drops and its packed words restored
// ("Technologies", "Registration").
#include "maker/maker_lookup.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MakerLookupTest, LongestRegisteredPrefixNamesTheMaker) {
  struct Case {
    const char* mac;
    maker::MacOrigin origin;
    const char* name;
    int bits;
  } cases[] = {
      {"00-1B-63-12-34-56", maker::MacOrigin::kRegistered, "Apple", 24},         // MA-L
      {"20-85-93-B1-23-45", maker::MacOrigin::kRegistered, "IOG Products", 28},  // MA-M
      {"20-85-93-F1-23-45", maker::MacOrigin::kRegistered, "IEEE Registration Authority", 24},
      {"70-B3-D5-F2-F1-23", maker::MacOrigin::kRegistered, "TELEPLATFORMS", 36},  // MA-S
      {"00-50-C2-7D-50-01", maker::MacOrigin::kRegistered, "DEUTA-WERKE", 36},    // IAB
      {"0C-00-00-00-00-01", maker::MacOrigin::kRegistered, "", 0},                // unassigned
      {"02-00-00-00-00-07", maker::MacOrigin::kPrivate, "", 0},
      {"DA-A1-19-5B-00-01", maker::MacOrigin::kPrivate, "", 0},  // a phone's random address
      {"50-C7-BF-12-34-56", maker::MacOrigin::kRegistered, "TP-LINK TECHNOLOGIES", 24},
      {"dc:a6:32:01:02:03", maker::MacOrigin::kRegistered, "Raspberry Pi Trading", 24},
      // A dropped partnership takes its joiner along; some names only their legal form explains.
      {"00-0E-F0-01-02-03", maker::MacOrigin::kRegistered, "Festo AG", 24},  // "AG & Co. KG"
      {"00-02-48-01-02-03", maker::MacOrigin::kRegistered, "Pilz GmbH", 24},
      {"00-07-05-01-02-03", maker::MacOrigin::kRegistered, "Endress & Hauser GmbH", 24},
      {"70-B3-D5-09-D1-23", maker::MacOrigin::kRegistered, "PuS GmbH", 36},  // "und Co. KG"
      {"44-5A-DF-01-02-03", maker::MacOrigin::kRegistered, "MIKAMI", 24},
      {"00-90-80-01-02-03", maker::MacOrigin::kRegistered, "NOT LIMITED, INC.", 24},
      {"80-E4-DA-E1-23-45", maker::MacOrigin::kRegistered, "Akenori", 28},    // "PTE LTD"
      {"34-4F-5C-01-02-03", maker::MacOrigin::kRegistered, "R&M", 24},        // "R&amp;M AG"
      {"00-1b-63-aa-bb-cc\n\n", maker::MacOrigin::kRegistered, "Apple", 24},  // as a row reads back
      {"00:1B-63:12:34:56", maker::MacOrigin::kUnreadable, "", 0},            // mixed separators
      {"00-1B-63-12-34-5G", maker::MacOrigin::kUnreadable, "", 0},
      {"00-1B-63-12-34", maker::MacOrigin::kUnreadable, "", 0},
      {"", maker::MacOrigin::kUnreadable, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mac);
    const maker::MakerMatch match = maker::LookUpMaker(std::string(c.mac));
    EXPECT_EQ(match.origin, c.origin);
    EXPECT_EQ(match.name, c.name);
    EXPECT_EQ(match.prefixBits, c.bits);
  }
  EXPECT_EQ(maker::ParseMacText("00-1A-2B-3C-4D-5E"), 0x001A2B3C4D5Eu);
  EXPECT_EQ(std::string(maker::MakerDataDate()).size(), 10u);  // YYYY-MM-DD
}

}  // namespace
