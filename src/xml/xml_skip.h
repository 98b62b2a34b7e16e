#pragma once
// Fast searches inside tags. Each returns the offset of the first byte at or after i that the
// scanner must look at, n when there is none. SSE2 takes 16 bytes at a time where the target has
// it; the plain loop gives the same answer.
#include <cstdint>
#include <cstring>

#include "text/cp936.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace xml_detail {

// A tag name: blanks, '/', '>', and bytes from 0x80 up (stepped whole by the caller).
inline int32_t SkipName(const char* s, int32_t i, int32_t n) {
#ifdef __SSE2__
  const __m128i sp = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t'), lf = _mm_set1_epi8('\n'),
                cr = _mm_set1_epi8('\r'), slash = _mm_set1_epi8('/'), gt = _mm_set1_epi8('>');
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i blank = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, sp), _mm_cmpeq_epi8(v, tab)),
                                       _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
    const __m128i end = _mm_or_si128(_mm_cmpeq_epi8(v, slash), _mm_cmpeq_epi8(v, gt));
    if (const int mask = _mm_movemask_epi8(_mm_or_si128(v, _mm_or_si128(blank, end)))) {
      return i + __builtin_ctz(mask);
    }
  }
#endif
  for (; i < n; ++i) {
    const char c = s[i];
    if ((c & 0x80) || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '/' || c == '>') {
      break;
    }
  }
  return i;
}

// text::LeadRunBefore, sixteen bytes at a time where the target has SSE2.
inline int32_t LeadRunBefore(const char* s, int32_t from, int32_t q) {
  int32_t run = 0;
#ifdef __SSE2__
  // Sixteen bytes at a time; reading before from is harmless (the count is capped below), reading
  // before the text is not.
  const __m128i x80 = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i xff = _mm_set1_epi8(static_cast<char>(0xFF));
  while (q - run - 16 >= 0 && run < q - from) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + q - run - 16));
    const __m128i single = _mm_or_si128(_mm_cmpeq_epi8(v, x80), _mm_cmpeq_epi8(v, xff));
    const unsigned lead = static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(single, v)));
    const unsigned other = ~lead & 0xFFFFu;
    if (other != 0) {
      run += __builtin_clz(other << 16);
      return run < q - from ? run : q - from;
    }
    run += 16;
  }
  if (run >= q - from) return q - from;
#endif
  return run + static_cast<int32_t>(text::LeadRunBefore(s, from, q - run));
}

// The next offset from i holding '>', '"' or '\'' (Tag) or the byte c (otherwise) that is not the
// trail byte of a two-byte character; from is a character boundary at or before i. The trail test
// reuses the block the candidate was found in, so it costs no further load unless a run of lead
// bytes reaches back past the block.
template <bool Tag>
inline int32_t FindCharacter(const char* s, int32_t i, int32_t n, char c, int32_t from) {
#ifdef __SSE2__
  const __m128i gt = _mm_set1_epi8('>'), dq = _mm_set1_epi8('"'), sq = _mm_set1_epi8('\'');
  const __m128i v0 = _mm_set1_epi8(c);
  const __m128i x80 = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i xff = _mm_set1_epi8(static_cast<char>(0xFF));
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i hit =
        Tag ? _mm_or_si128(_mm_cmpeq_epi8(v, gt),
                           _mm_or_si128(_mm_cmpeq_epi8(v, dq), _mm_cmpeq_epi8(v, sq)))
            : _mm_cmpeq_epi8(v, v0);
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
    if (mask == 0) continue;
    const __m128i single = _mm_or_si128(_mm_cmpeq_epi8(v, x80), _mm_cmpeq_epi8(v, xff));
    const unsigned lead = static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(single, v)));
    do {
      const int k = __builtin_ctz(mask);
      const int32_t q = i + k;
      const unsigned other = ~lead & ((1u << k) - 1);  // bytes below k that cannot lead
      int32_t run = other != 0 ? k - 1 - (31 - __builtin_clz(other))
                               : k + LeadRunBefore(s, from < i ? from : i, i);
      if (run > q - from) run = q - from;
      if ((run & 1) == 0) return q;
      mask &= mask - 1;
    } while (mask != 0);
  }
#endif
  for (; i < n; ++i) {
    const char b = s[i];
    const bool candidate = Tag ? (b == '>' || b == '"' || b == '\'') : b == c;
    if (candidate && (text::LeadRunBefore(s, from, i) & 1) == 0) return i;
  }
  return n;
}

}  // namespace xml_detail
