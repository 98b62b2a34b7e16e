#pragma once
// The vendor table, generated at build time by tools/make_vendor_table.py from the IEEE registry
// of MAC prefixes (Debian's ieee-data). Per prefix length one array sorted ascending, each entry
// (prefix << kNameOffsetBits) | offset of the maker's name in kVendorNames, a pool of
// NUL-terminated code page 936 names. In a name, kWordMark and a number n (1-255) stand for the
// word at kVendorWordOffsets[n] in kVendorWords. Constant data in the image: searched in place,
// never parsed.
#include <cstddef>
#include <cstdint>

namespace vendor {

constexpr int kNameOffsetBits = 24;
constexpr char kWordMark = '\x01';

extern const uint64_t kPrefixes24[];  // MA-L
extern const std::size_t kPrefixes24Count;
extern const uint64_t kPrefixes28[];  // MA-M
extern const std::size_t kPrefixes28Count;
extern const uint64_t kPrefixes36[];  // MA-S and IAB
extern const std::size_t kPrefixes36Count;

extern const char kVendorNames[];
extern const std::size_t kVendorNamesSize;
extern const char kVendorWords[];
extern const uint16_t kVendorWordOffsets[256];
extern const std::size_t kVendorWordsSize;

// The date of the registry data, "YYYY-MM-DD".
extern const char kVendorDataDate[];

}  // namespace vendor
