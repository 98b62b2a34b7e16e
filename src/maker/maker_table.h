#pragma once
// The maker table, generated at build time by tools/make_maker_table.py from the IEEE registry
// of MAC prefixes (Debian's ieee-data). Per prefix length one array sorted ascending, each entry
// (prefix << kNameOffsetBits) | offset of the maker's name in kMakerNames, a pool of
// NUL-terminated code page 936 names. In a name, kWordMark and a number n (1-255) stand for the
// word at kMakerWordOffsets[n] in kMakerWords. Constant data in the image: searched in place,
// never parsed.
#include <cstddef>
#include <cstdint>

namespace maker {

constexpr int kNameOffsetBits = 24;
constexpr char kWordMark = '\x01';

extern const uint64_t kPrefixes24[];  // MA-L
extern const std::size_t kPrefixes24Count;
extern const uint64_t kPrefixes28[];  // MA-M
extern const std::size_t kPrefixes28Count;
extern const uint64_t kPrefixes36[];  // MA-S and IAB
extern const std::size_t kPrefixes36Count;

extern const char kMakerNames[];
extern const std::size_t kMakerNamesSize;
extern const char kMakerWords[];
extern const uint16_t kMakerWordOffsets[256];
extern const std::size_t kMakerWordsSize;

// The date of the registry data, "YYYY-MM-DD".
extern const char kMakerDataDate[];

}  // namespace maker
