#pragma once
// NextToken: one token of the document text at a time.
#include <cstdint>
#include <string>

namespace xml_detail {

enum TokenType : int {
  kEndTag = 0,
  kStartTag = 1,
  kText = 2,
  kWhitespace = 4,
  kCData = 8,
  kProcessingInstruction = 16,
  kComment = 32,
  kDoctype = 64,
  kErrorToken = -1,
  kEndOfText = -2,
};

struct TokenRecord {
  int type = kEndOfText;
  int32_t start = 0;
  int32_t length = 0;
  bool empty = false;  // a start tag closed by "/>"
  // The tag name of a start tag or processing instruction, as a span of the text (the text is
  // not copied while parsing).
  int32_t nameStart = 0;
  int32_t nameLength = 0;
  std::string message;  // the message of an error token
};

struct TextCursor {
  int32_t nameStart = 0;  // end tags only: first byte of the name
  int32_t nameEnd = -1;   // inclusive; nameEnd < nameStart means an empty name
  int32_t next = 0;       // where the next token begins
  const char* text = nullptr;
  int32_t size = 0;  // the text ends here or at its first zero byte, whichever comes first
};

// Reads one token at cursor.next into token, advances cursor.next past it and returns its type.
int NextToken(TextCursor& cursor, TokenRecord& token);

}  // namespace xml_detail
