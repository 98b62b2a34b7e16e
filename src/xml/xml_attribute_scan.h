#pragma once
// Result of XmlDocument::FindAttribute, and the element-name scan shared by lookups and edits.
#include <cstdint>

namespace xml_detail {

struct AttributeScan {
  int32_t first = 0;      // span of the value (or of the name, for an attribute without value)
  int32_t last = -1;      // inclusive
  bool quoted = false;    // the value stood in quotes (which the span excludes)
  bool hasValue = false;  // false: the attribute was written as a bare name
  int32_t insertAt = 0;   // not found: just after the last attribute (-1: nowhere)
};

// The attribute scan of FindAttribute over the start tag at tagStart of the text s, read no further
// than offset n: true when name was found, with the span of its value (or of its name, written
// bare).
bool ScanAttribute(const char* s, int32_t n, int32_t tagStart, const char* name,
                   AttributeScan& scan);

// Element name as read back from a start tag: from i, blanks skipped, up to a blank, '<', '>',
// '=', '\', '/', '?' or '!'.
int32_t ElementNameStart(const char* s, int32_t n, int32_t i);
int32_t ElementNameEnd(const char* s, int32_t n, int32_t i);

}  // namespace xml_detail
