// The tokenizer tells trail bytes from delimiters without stepping every character; both ways of
// finding character boundaries must agree on every text.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/cp936.h"
#include "xml/xml_skip.h"

namespace {

TEST(Multibyte, PairingFromTheLastNonLeadByteMatchesStepping) {
  std::mt19937 random(7);
  const unsigned char kBytes[] = {'a', '"', '>', '/', ' ', 0x80, 0x81, 0xA1, 0xD6, 0xFE, 0xFF};
  for (int round = 0; round < 2000; ++round) {
    std::string s(1 + random() % 60, 'a');
    for (char& c : s) c = static_cast<char>(kBytes[random() % sizeof kBytes]);
    std::vector<bool> trail(s.size(), false);
    for (std::size_t i = 0; i < s.size();) {
      const std::size_t n = text::CharLength(s, i);
      if (n == 2) trail[i + 1] = true;
      i += n;
    }
    // Any character boundary may serve as the starting point.
    std::size_t from = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
      ASSERT_EQ(text::IsTrailByte(s.data(), from, i), trail[i]) << round << " at " << i;
      const int32_t fast =
          xml_detail::LeadRunBefore(s.data(), static_cast<int32_t>(from), static_cast<int32_t>(i));
      ASSERT_EQ(static_cast<std::size_t>(fast), text::LeadRunBefore(s.data(), from, i));
      if (!trail[i] && random() % 8 == 0) from = i;
    }
  }
}

TEST(Multibyte, CharacterSearchSkipsTrailBytes) {
  std::mt19937 random(11);
  const unsigned char kBytes[] = {'a', '"', '\'', '>', 0x80, 0x81, 0xB1, 0xD6, 0xFE, 0xFF};
  for (int round = 0; round < 3000; ++round) {
    std::string s(1 + random() % 80, 'a');
    for (char& c : s) c = static_cast<char>(kBytes[random() % sizeof kBytes]);
    const int32_t n = static_cast<int32_t>(s.size());
    std::vector<bool> start(s.size(), false);
    for (std::size_t i = 0; i < s.size(); i += text::CharLength(s, i)) start[i] = true;
    for (int32_t from = 0; from < n; ++from) {
      if (!start[from]) continue;
      int32_t tag = n, quote = n;
      for (int32_t i = n - 1; i >= from; --i) {
        if (!start[i]) continue;
        if (s[i] == '>' || s[i] == '"' || s[i] == '\'') tag = i;
        if (s[i] == '"') quote = i;
      }
      ASSERT_EQ(xml_detail::FindCharacter<true>(s.data(), from, n, '>', from), tag) << round;
      ASSERT_EQ(xml_detail::FindCharacter<false>(s.data(), from, n, '"', from), quote) << round;
    }
  }
}

}  // namespace
