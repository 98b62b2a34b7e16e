// The vendor table as the build generated it from the machine's ieee-data: prefixes whose names
// have stood for years, with the legal forms the generator drops and its packed words restored
// ("Technologies", "Registration").
#include "vendor/vendor_lookup.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(VendorLookupTest, LongestRegisteredPrefixNamesTheMaker) {
  struct Case {
    const char* mac;
    vendor::MacOrigin origin;
    const char* name;
    int bits;
  } cases[] = {
      {"00-1B-63-12-34-56", vendor::MacOrigin::kRegistered, "Apple", 24},         // MA-L
      {"20-85-93-B1-23-45", vendor::MacOrigin::kRegistered, "IOG Products", 28},  // MA-M
      {"20-85-93-F1-23-45", vendor::MacOrigin::kRegistered, "IEEE Registration Authority", 24},
      {"70-B3-D5-F2-F1-23", vendor::MacOrigin::kRegistered, "TELEPLATFORMS", 36},  // MA-S
      {"00-50-C2-7D-50-01", vendor::MacOrigin::kRegistered, "DEUTA-WERKE", 36},    // IAB
      {"0C-00-00-00-00-01", vendor::MacOrigin::kRegistered, "", 0},                // unassigned
      {"02-00-00-00-00-07", vendor::MacOrigin::kPrivate, "", 0},
      {"DA-A1-19-5B-00-01", vendor::MacOrigin::kPrivate, "", 0},  // a phone's random address
      {"50-C7-BF-12-34-56", vendor::MacOrigin::kRegistered, "TP-LINK TECHNOLOGIES", 24},
      {"dc:a6:32:01:02:03", vendor::MacOrigin::kRegistered, "Raspberry Pi Trading", 24},
      {"00-1b-63-aa-bb-cc\n\n", vendor::MacOrigin::kRegistered, "Apple",
       24},                                                          // as a row reads back
      {"00:1B-63:12:34:56", vendor::MacOrigin::kUnreadable, "", 0},  // mixed separators
      {"00-1B-63-12-34-5G", vendor::MacOrigin::kUnreadable, "", 0},
      {"00-1B-63-12-34", vendor::MacOrigin::kUnreadable, "", 0},
      {"", vendor::MacOrigin::kUnreadable, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mac);
    const vendor::VendorMatch match = vendor::LookUpVendor(std::string(c.mac));
    EXPECT_EQ(match.origin, c.origin);
    EXPECT_EQ(match.name, c.name);
    EXPECT_EQ(match.prefixBits, c.bits);
  }
  EXPECT_EQ(vendor::ParseMacText("00-1A-2B-3C-4D-5E"), 0x001A2B3C4D5Eu);
  EXPECT_EQ(std::string(vendor::VendorDataDate()).size(), 10u);  // YYYY-MM-DD
}

}  // namespace
