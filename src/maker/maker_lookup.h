#pragma once
// Who made a network card, from its MAC address: the longest registered prefix (36, 28, then 24
// bits) names the maker. An address whose first octet has the locally administered bit (0x02) set
// was chosen by the device itself, as phones and tablets do with a random private address per
// network: no registry knows it, so it gets no maker.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace maker {

// The 48-bit address of a MAC text such as "00-1A-2B-3C-4D-5E": six hex pairs in either case,
// separated by '-' or ':', blanks around it ignored (a row's read-back carries two line feeds).
std::optional<uint64_t> ParseMacText(std::string_view text);

enum class MacOrigin {
  kUnreadable,  // not a MAC text
  kRegistered,  // a maker's address space: name says who, or is empty when no prefix matches
  kPrivate,     // locally administered: private or random
};

struct MakerMatch {
  MacOrigin origin = MacOrigin::kUnreadable;
  std::string name;    // code page 936; empty when none
  int prefixBits = 0;  // 36, 28 or 24 when a prefix matched
};

MakerMatch LookUpMaker(std::string_view macText);
MakerMatch LookUpMaker(uint64_t mac);

// A name as the table stores it (maker_table.h), with its packed words restored.
std::string UnpackMakerName(const char* packed);

// The date of the registry data the table was built from, "YYYY-MM-DD".
const char* MakerDataDate();

}  // namespace maker
