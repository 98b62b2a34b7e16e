#include "xml/xml_tokenizer.h"

#include <cstring>

#include "xml/xml_chars.h"
#include "xml/xml_skip.h"

namespace xml_detail {

namespace {

std::string Incorrect(const char* kind, int32_t at) {
  return std::string("Incorrect ") + kind + " at offset " + std::to_string(at);
}

std::string Unterminated(const char* kind, int32_t at) {
  return std::string(kind) + " at offset " + std::to_string(at) + " unterminated";
}

// The scan of one markup token. end = offset after its last byte, or -1 when the text ended
// inside it.
struct Scanner {
  const char* s;
  int32_t n;

  int32_t StepAt(int32_t i) const { return Step(s, i, n); }

  // Name from i up to a blank, '/' or '>': returns the offset after it.
  int32_t TagName(int32_t i) const {
    for (;;) {
      i = SkipName(s, i, n);
      if (i >= n || Is(s[i], kTagNameEnd)) return i;
      i += StepAt(i);  // a byte from 0x80 up: a whole character
    }
  }

  // First '>' from i, no quotes tracked.
  int32_t PlainEnd(int32_t i) const {
    while (i < n) {
      if (s[i] == '>') return i + 1;
      i += StepAt(i);
    }
    return -1;
  }

  // Multi-character end ("?>", "-->", "]]>"): a '>' whose offset exceeds the sequence's length and
  // whose preceding bytes are the rest of it. The check may overlap the opening: <!--> is complete.
  int32_t SequenceEnd(int32_t i, const char* rest) const {
    const int32_t restLength = static_cast<int32_t>(std::strlen(rest));
    while (i < n) {
      if (s[i] == '>' && i > restLength + 1 &&
          std::memcmp(s + i - restLength, rest, restLength) == 0) {
        return i + 1;
      }
      i += StepAt(i);
    }
    return -1;
  }

  // The first '>' outside quotes. An error token also ends before the next '<', even inside
  // quotes; a markup declaration <!E..>, <!A..>, <!N..> does not.
  int32_t QuotedEnd(int32_t i, bool endBeforeOpen) const {
    char quote = 0;
    while (i < n) {
      const char c = s[i];
      if (c == '<' && endBeforeOpen) return i;
      if (c == '>' && !quote) return i + 1;
      if (c == '"' || c == '\'') quote = quote == 0 ? c : (quote == c ? 0 : quote);
      i += StepAt(i);
    }
    return -1;
  }
  int32_t ErrorEnd(int32_t i) const { return QuotedEnd(i, true); }
  int32_t DeclarationEnd(int32_t i) const { return QuotedEnd(i, false); }

  // Whether the byte at q is the trail byte of a two-byte character, given a character boundary
  // `from` (any offset after q counts as "no"). A byte that cannot lead always ends a character,
  // so the lead-range bytes right before q pair up from there: an odd count takes q as a trail.
  bool Hidden(int32_t from, int32_t q) const {
    if (q <= from || !text::IsLeadByte(static_cast<unsigned char>(s[q - 1]))) return false;
    return (LeadRunBefore(s, from, q) & 1) != 0;
  }

  // Start tag after its name: the first '>' outside quotes. Sets empty when the tag closes itself:
  // '/' right before the '>', and before that the name's last character or a blank or quote.
  // Candidates are found without stepping every character, and each is checked not to be the
  // trail byte of a two-byte character; the check has no branch that depends on the text, which
  // mixes ASCII and Chinese values unpredictably.
  int32_t StartTagEnd(int32_t nameEnd, bool& empty) const {
    int32_t i = nameEnd;
    int32_t boundary = nameEnd;  // the last offset known to start a character
    for (;;) {
      i = FindCharacter<true>(s, i, n, '>', boundary);
      if (i >= n) return -1;
      const char c = s[i];
      if (c == '>') {
        const bool slash = s[i - 1] == '/' && i - 1 >= nameEnd && !Hidden(boundary, i - 1);
        empty = slash &&
                (i - 1 == nameEnd || (Is(s[i - 2], kSelfCloseBefore) && !Hidden(boundary, i - 2)));
        return i + 1;
      }
      boundary = i + 1;  // inside the value: only the same quote ends it
      const int32_t j = FindCharacter<false>(s, boundary, n, c, boundary);
      if (j >= n) return -1;
      i = boundary = j + 1;
    }
  }

  int32_t Markup(int32_t start, bool inDoctype, TokenRecord& token, TextCursor& cursor) const;
  int32_t DoctypeEnd(int32_t i) const;
};

// Doctype body from i: a '<' outside quotes starts a nested construct read by the markup rules
// (where <!D and <![ are not special); the doctype ends at the first '>' outside both.
int32_t Scanner::DoctypeEnd(int32_t i) const {
  TokenRecord nested;
  TextCursor unused;
  char quote = 0;
  while (i < n) {
    const char c = s[i];
    if (!quote && c == '>') return i + 1;
    if (!quote && c == '<') {
      const int32_t end = Markup(i, true, nested, unused);
      if (end < 0) return -1;
      i = end;
      continue;
    }
    if (c == '"' || c == '\'') quote = quote == 0 ? c : (quote == c ? 0 : quote);
    i += StepAt(i);
  }
  return -1;
}

// One markup token starting with the '<' at start. Returns the offset after it, or -1 when the
// text ends inside it (token.type then says which kind it was; token.message is set for errors).
int32_t Scanner::Markup(int32_t start, bool inDoctype, TokenRecord& token,
                        TextCursor& cursor) const {
  const int32_t p = start + 1;
  if (p >= n) {
    token.type = kErrorToken;
    return -1;
  }
  const char c = s[p];
  if (c == '/') {
    token.type = kEndTag;
    const int32_t nameEnd = TagName(p + 1);
    cursor.nameStart = p + 1;
    cursor.nameEnd = nameEnd - 1;
    return PlainEnd(nameEnd);
  }
  if (Is(c, kNameStart)) {
    token.type = kStartTag;
    const int32_t nameEnd = TagName(p);
    token.nameStart = p;
    token.nameLength = nameEnd - p;
    return StartTagEnd(nameEnd, token.empty);
  }
  if (c == '?') {
    token.type = kProcessingInstruction;
    const int32_t nameEnd = TagName(p + 1);
    token.nameStart = p + 1;
    token.nameLength = nameEnd - (p + 1);
    return SequenceEnd(nameEnd, "?");
  }
  if (c != '!') {
    token.type = kErrorToken;
    token.message = Incorrect("tag name character", start);
    return ErrorEnd(p);
  }
  const int32_t q = p + 1;  // the character after "<!"
  if (q >= n) {
    token.type = kErrorToken;
    return -1;
  }
  const char d = s[q];
  if (d == '-') {
    if (q + 1 < n && s[q + 1] == '-') {
      token.type = kComment;
      return SequenceEnd(q + 2, "--");
    }
    token.type = kErrorToken;
    token.message = Incorrect("comment tag", start);
    return ErrorEnd(q + 1);
  }
  if (d == '[' && !inDoctype) {
    if (q + 1 < n && s[q + 1] == 'C') {
      token.type = kCData;
      return SequenceEnd(q + 2, "]]");
    }
    token.type = kErrorToken;
    token.message = Incorrect("tag", start);
    return ErrorEnd(q + 1);
  }
  if (d == 'D' && !inDoctype) {
    token.type = kDoctype;
    return DoctypeEnd(q + 1);
  }
  if (d == 'E' || d == 'A' || d == 'N') {
    token.type = kDoctype;
    return DeclarationEnd(q + 1);
  }
  token.type = kErrorToken;
  token.message = Incorrect("! tag", start);
  return ErrorEnd(q);
}

const char* UnterminatedKind(int type) {
  switch (type) {
    case kDoctype: return "Doctype";
    case kStartTag: return "Element tag";
    case kEndTag: return "Element end tag";
    case kCData: return "CDATA Section";
    case kProcessingInstruction: return "Processing instruction";
    case kComment: return "Comment";
    default: return "tag";
  }
}

}  // namespace

int NextToken(TextCursor& cursor, TokenRecord& token) {
  const char* s = cursor.text;
  const int32_t n = cursor.size;
  const int32_t start = cursor.next;
  token.start = start;
  token.empty = false;
  if (start >= n || s[start] == '\0') {
    token.type = kEndOfText;
    token.length = 0;
    return kEndOfText;
  }
  int32_t end;
  if (s[start] != '<') {
    int32_t i = start;
    token.type = kWhitespace;
    while (i < n && Is(s[i], kBlank)) ++i;
    if (i < n && s[i] != '<') {
      // Any other character makes it text, which ends before a '<' or just after a '>'.
      token.type = kText;
      while (i < n) {
        const char c = s[i];
        if (c == '<') break;
        if (c == '>') {
          ++i;
          break;
        }
        i += Step(s, i, n);
      }
    }
    end = i;
  } else {
    const Scanner scanner{s, n};
    end = scanner.Markup(start, false, token, cursor);
    if (end < 0) {
      token.message = Unterminated(UnterminatedKind(token.type), start);
      token.type = kErrorToken;
      end = n;
    }
  }
  token.length = end - start;
  cursor.next = end;
  return token.type;
}

}  // namespace xml_detail
