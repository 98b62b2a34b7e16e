// Editing in place: the text changes, and the index is shifted instead of parsed again.
#include <cstdint>
#include <cstring>
#include <limits>

#include "xml/xml_attribute_scan.h"
#include "xml/xml_chars.h"
#include "xml/xml_document.h"
#include "xml/xml_tokenizer.h"

using namespace xml_detail;

namespace {

constexpr int64_t kMaxText = std::numeric_limits<int32_t>::max();

// How the tokenizer reads a piece of markup on its own: the type and length of its first token.
TokenRecord ReadAlone(const std::string& markup) {
  TextCursor cursor;
  cursor.text = markup.data();
  cursor.size = static_cast<int32_t>(markup.size());
  TokenRecord token;
  NextToken(cursor, token);
  return token;
}

// The name of the end tag given to the element at start: its element name as read back (up to a
// blank, '<', '>', '=', '\', '/', '?' or '!') where an end tag of that name closes it when the text
// is read again, as for <a=1>, else the tag name as the tokenizer reads it (up to a blank, '/' or
// '>'), as for <a?b>.
std::string EndTagName(const std::string& doc, int32_t start) {
  const char* s = doc.data();
  const int32_t n = static_cast<int32_t>(doc.size());
  int32_t i = start + 1;
  while (i < n && !Is(s[i], kTagNameEnd)) i += Step(s, i, n);
  const std::string tagName = doc.substr(start + 1, i - start - 1);
  const int32_t first = ElementNameStart(s, n, start + 1);
  const int32_t end = ElementNameEnd(s, n, first);
  return NameMatches(s + first, end - first, tagName.c_str()) ? doc.substr(first, end - first)
                                                              : tagName;
}

}  // namespace

bool XmlDocument::AddElement(const char* name) {
  if (name == nullptr || name[0] == '\0') return false;
  const std::string t = std::string("<") + name + "/>";
  // The name is written as given; it must read back as one self-closed element, or the index
  // would describe a text that says something else.
  const TokenRecord alone = ReadAlone(t);
  if (alone.type != kStartTag || !alone.empty || alone.length != static_cast<int32_t>(t.size()) ||
      t.size() > ElementRecord::kMaxStartTag) {
    return false;
  }
  const ElementRef p = m_posParent;
  // t, its line break, a line break before it, a space after a dangling lead byte
  int64_t growth = static_cast<int64_t>(t.size()) + 2 + 2 + 1;
  if (p != 0) {
    const ElementRecord& par = m_index[p];
    if (par.length == static_cast<int32_t>(par.StartTagLength())) {  // p gets its end tag now
      const std::size_t nameLength = EndTagName(m_strDoc, par.start).size();
      if (nameLength + 3 > ElementRecord::kMaxEndTag) return false;
      growth += static_cast<int64_t>(nameLength) + 3;
    }
  }
  if (static_cast<int64_t>(m_strDoc.size()) + growth > kMaxText) return false;

  if (m_nUsedCount == m_index.Capacity()) GrowIndex(0);
  const ElementRef n = m_nUsedCount++;
  {
    ElementRecord& rec = m_index[n];
    rec.SetTagLengths(static_cast<uint32_t>(t.size()), 0);
    rec.length = static_cast<int32_t>(t.size());
  }
  const Placement place = PlaceNewElement(p, m_posCurrent, t);
  ElementRecord& rec = m_index[n];
  rec.start = place.offset;
  rec.firstChild = 0;
  rec.flags = 0;
  LinkElement(p, place.after, n);
  ShiftOffsets(n, static_cast<int32_t>(place.text.size()) - place.replaced, true);
  m_posParent = p;
  m_posCurrent = n;
  m_posChild = 0;
  return true;
}

// Where a new element t goes under p after m, and the text that puts it there. One element per
// line, each line ended by CR LF, no indentation.
XmlDocument::Placement XmlDocument::PlaceNewElement(ElementRef p, ElementRef m, std::string t) {
  const int32_t size = static_cast<int32_t>(m_strDoc.size());
  bool empty = false, contentless = false;
  if (p != 0) {
    const ElementRecord& par = m_index[p];
    empty = par.length == static_cast<int32_t>(par.StartTagLength());
    contentless = par.length == static_cast<int32_t>(par.StartTagLength() + par.EndTagLength());
  }
  const ElementRecord& par = m_index[p];
  int32_t offset;
  if (m != 0) {
    offset = m_index[m].start + m_index[m].length;
  } else if (empty) {
    offset = par.start + static_cast<int32_t>(par.StartTagLength()) -
             ((par.flags & ElementRecord::kUnended) ? 0 : 1);
  } else {
    offset = par.start + par.length - static_cast<int32_t>(par.EndTagLength());
  }
  if (!empty) {
    int32_t i = offset;
    while (i < size && Is(m_strDoc[i], kBlank)) ++i;
    if (i >= size || m_strDoc[i] == '<') offset = i;
  }
  if (m == 0 && par.firstChild != 0) m = m_index[par.firstChild].prevSibling;
  t += "\r\n";
  if (empty || contentless) offset += 2;

  Placement place{offset, 0, std::string(), m};
  int32_t at;
  if (empty) {
    ElementRecord& parent = m_index[p];
    const std::string name = EndTagName(m_strDoc, parent.start);
    place.text = ">\r\n" + t + "</" + name;
    uint32_t startTag = parent.StartTagLength();
    if (parent.flags & ElementRecord::kUnended) {
      at = parent.start + parent.length - 1;  // before the '>' of the start tag
      parent.flags &= ~ElementRecord::kUnended;
    } else {
      at = parent.start + parent.length - 2;  // the '/' of "/>"
      place.replaced = 1;
      startTag -= 1;
    }
    parent.SetTagLengths(startTag, static_cast<uint32_t>(name.size() + 3));
  } else if (contentless) {
    place.text = "\r\n" + t;
    at = par.start + static_cast<int32_t>(par.StartTagLength());
  } else {
    place.text = t;
    at = offset;
    if (at == size && EndsWithLoneLeadByte()) {
      // A lead byte left alone at the end would take the new '<' as its trail byte and hide the
      // element: give it a space to pair with instead.
      place.text.insert(0, 1, ' ');
      place.offset += 1;
    }
  }
  ReplaceText(at, place.replaced, place.text);
  return place;
}

// Whether the text ends in a lead byte with no trail byte. Scanned from the end of the last
// top-level element, the last place known to be a character boundary.
bool XmlDocument::EndsWithLoneLeadByte() const {
  const char* s = m_strDoc.data();
  const int32_t n = static_cast<int32_t>(m_strDoc.size());
  int32_t i = 0;
  if (m_index[0].firstChild != 0) {
    const ElementRecord& last = m_index[m_index[m_index[0].firstChild].prevSibling];
    i = last.start + last.length;
  }
  int32_t step = 0;
  for (; i < n; i += step) step = Step(s, i, n);
  return step == 1 && Is(s[n - 1], kLead);
}

void XmlDocument::LinkElement(ElementRef p, ElementRef m, ElementRef n) {
  ElementRecord& rec = m_index[n];
  rec.parent = p;
  if (m != 0) {
    ElementRecord& after = m_index[m];
    rec.nextSibling = after.nextSibling;
    if (rec.nextSibling != 0) {
      m_index[rec.nextSibling].prevSibling = n;
    } else {
      m_index[m_index[p].firstChild].prevSibling = n;  // n is the new last child
    }
    after.nextSibling = n;
    rec.prevSibling = m;
  } else {
    ElementRecord& par = m_index[p];
    const ElementRef f = par.firstChild;
    par.firstChild = n;
    if (f != 0) {
      rec.nextSibling = f;
      rec.prevSibling = m_index[f].prevSibling;
      m_index[f].prevSibling = n;
    } else {
      rec.nextSibling = 0;
      rec.prevSibling = n;
    }
  }
}

void XmlDocument::ReplaceText(int32_t offset, int32_t count, const std::string& text) {
  const std::size_t length = m_strDoc.size() - count + text.size();
  // Headroom, so that a series of small insertions rarely moves the whole text.
  if (length > m_strDoc.capacity()) m_strDoc.reserve(length + length / 2 + 128);
  m_strDoc.replace(offset, count, text);
}

// Adds diff to the start of every element after e in document order and to the length of every
// ancestor of e (record 0 last); e itself is left alone.
void XmlDocument::ShiftOffsets(ElementRef e, int32_t diff, bool descend) {
  if (e == 0 || diff == 0) return;  // a value of the same length (a status toggle) moves nothing
  ElementRef stop = m_index[e].parent;
  ElementRef cur = e;
  for (;;) {
    ElementRef next;
    const ElementRecord& rec = m_index[cur];
    if (cur != stop && descend && rec.firstChild != 0) {
      next = rec.firstChild;
    } else {
      if (cur == stop) stop = m_index[stop].parent;
      next = rec.nextSibling;
      if (next == 0) {
        ElementRef up = rec.parent;
        while (up != stop && m_index[up].nextSibling == 0) up = m_index[up].parent;
        next = up != stop ? m_index[up].nextSibling : stop;
      }
    }
    if (next == stop) {
      m_index[next].length += diff;
    } else {
      m_index[next].start += diff;
    }
    descend = true;
    if (next == 0) return;
    cur = next;
  }
}

bool XmlDocument::SetAttribute(const char* name, const std::string& value) {
  if (m_posCurrent == 0 || name == nullptr || name[0] == '\0') return false;
  const ElementRef e = m_posCurrent;
  const std::string quotedValue = "\"" + EscapeText(value) + "\"";
  AttributeScan scan;
  int32_t at, count = 0;
  std::string replacement;
  if (!FindAttribute(e, name, scan)) {
    at = scan.insertAt;
    replacement = std::string(" ") + name + "=" + quotedValue;
  } else if (!scan.hasValue) {
    // Written as a bare name (<x a>): give it the value, making it a well-formed a="value".
    at = scan.last + 1;
    replacement = "=" + quotedValue;
  } else {
    at = scan.first - (scan.quoted ? 1 : 0);
    count = scan.last - scan.first + 1 + (scan.quoted ? 2 : 0);
    replacement = quotedValue;
  }

  // The edit must stay inside the start tag and leave it one tag that ends where the index will
  // say it does, closed by "/>" exactly when it was before, under the same name (an insertion
  // inside a name such as <a"?> would rename the element and unpair its end tag).
  const ElementRecord& rec = m_index[e];
  const int32_t tagLength = static_cast<int32_t>(rec.StartTagLength());
  if (at < rec.start + 1 || at + count > rec.start + tagLength - 1) return false;
  const int64_t newTagLength =
      int64_t{tagLength} + static_cast<int64_t>(replacement.size()) - count;
  if (newTagLength > ElementRecord::kMaxStartTag ||
      static_cast<int64_t>(m_strDoc.size()) + newTagLength - tagLength > kMaxText) {
    return false;
  }
  const std::string oldTag = m_strDoc.substr(rec.start, tagLength);
  std::string newTag = oldTag;
  newTag.replace(at - rec.start, count, replacement);
  const TokenRecord before = ReadAlone(oldTag);
  const TokenRecord after = ReadAlone(newTag);
  if (after.type != kStartTag || after.length != static_cast<int32_t>(newTag.size()) ||
      after.empty != before.empty ||
      newTag.compare(after.nameStart, after.nameLength, oldTag, before.nameStart,
                     before.nameLength) != 0) {
    return false;
  }
  // And the value must read back from where it was written (a dangling '=' before it, as in
  // <x a=>, would turn the new name into a's value).
  const int32_t valueFirst = at - rec.start + static_cast<int32_t>(replacement.size()) -
                             static_cast<int32_t>(quotedValue.size()) + 1;
  AttributeScan check;
  if (!ScanAttribute(newTag.data(), static_cast<int32_t>(newTag.size()), 0, name, check) ||
      !check.quoted || check.first != valueFirst ||
      check.last != valueFirst + static_cast<int32_t>(quotedValue.size()) - 3) {
    return false;
  }

  ReplaceText(at, count, replacement);
  const int32_t diff = static_cast<int32_t>(replacement.size()) - count;
  ElementRecord& edited = m_index[e];
  edited.SetTagLengths(static_cast<uint32_t>(newTagLength), edited.EndTagLength());
  edited.length += diff;
  ShiftOffsets(e, diff, true);
  return true;
}
