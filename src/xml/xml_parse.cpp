// Parsing: the parse entry, ParseElements and the handling of unended elements.
#include <algorithm>
#include <cstring>
#include <limits>

#include "xml/xml_chars.h"
#include "xml/xml_document.h"
#include "xml/xml_tokenizer.h"

using namespace xml_detail;

namespace {

// An end tag closes an open element when its name equals the open name's first bytes and the open
// name ends there or goes on with ' ', '=', '/', '[' or ']'.
bool EndTagCloses(const char* endName, int32_t endLength, const char* openName,
                  int32_t openLength) {
  if (endLength > openLength || std::memcmp(endName, openName, endLength) != 0) return false;
  return endLength == openLength || Is(openName[endLength], kNameFollow);
}

std::string Span(const std::string& s, int32_t start, int32_t length) {
  return length > 0 ? s.substr(start, length) : std::string();
}

}  // namespace

XmlDocument::XmlDocument() { Parse(); }

bool XmlDocument::SetDocumentText(const std::string& text) {
  // The document text is a C string: it ends at its first zero byte.
  const std::size_t length = std::strlen(text.c_str());
  m_strError.clear();
  if (length > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    // Offsets are 32-bit counts: such a text is refused and the document left empty.
    m_strDoc.clear();
    m_strError = "Document too large: " + std::to_string(length) + " bytes";
    Parse();
    return false;
  }
  m_strDoc.assign(text.c_str(), length);
  return Parse();
}

const ElementRecord& XmlDocument::Record(ElementRef ref) const {
  static const ElementRecord kNone{};
  if (ref < 0 || ref >= m_index.Capacity()) return kNone;
  return m_index[ref];
}

bool XmlDocument::Parse() {
  std::string aside;
  aside.swap(m_strError);
  m_posParent = m_posCurrent = m_posChild = 0;
  m_nUsedCount = 1;
  GrowIndex(static_cast<int>(m_strDoc.size() / 64 + 8));
  m_index[0] = ElementRecord{};

  std::string own;
  if (m_strDoc.empty()) {
    own = "Empty document";
  } else {
    const ElementRef first = ParseElements();
    m_index[0].length = static_cast<int32_t>(m_strDoc.size());
    if (first == 0) {
      m_strError = "No root element";
    } else {
      m_index[0].firstChild = first;
      if (m_index[first].nextSibling != 0) m_strError = "Root element has sibling";
    }
    own.swap(m_strError);
  }
  m_posParent = m_posCurrent = m_posChild = 0;

  if (aside.empty()) {
    m_strError.swap(own);
  } else if (own.empty()) {
    m_strError.swap(aside);
  } else {
    m_strError = aside + ", " + own;
  }
  const ElementRecord& doc = m_index[0];
  return !(doc.flags & ElementRecord::kIllFormed) && doc.firstChild != 0 &&
         m_index[doc.firstChild].nextSibling == 0;
}

// The element e, innermost open one, never got its end tag: it keeps only its start tag and its
// former children follow it as siblings under its parent.
void XmlDocument::UnendElement(ElementRef e, const std::string& message) {
  m_index[0].flags |= ElementRecord::kIllFormed;
  ElementRecord& rec = m_index[e];
  rec.SetTagLengths(rec.StartTagLength(), 0);
  rec.flags |= ElementRecord::kUnended;
  rec.length = static_cast<int32_t>(rec.StartTagLength());
  const ElementRef child = rec.firstChild;
  if (child != 0) {
    const ElementRef lastChild = m_index[child].prevSibling;
    const ElementRef parent = rec.parent;
    rec.firstChild = 0;
    rec.nextSibling = child;  // e was its parent's last child: everything after it was inside it
    m_index[child].prevSibling = e;
    for (ElementRef c = child; c != 0; c = m_index[c].nextSibling) m_index[c].parent = parent;
    m_index[m_index[parent].firstChild].prevSibling = lastChild;
  }
  if (m_strError.empty()) m_strError = message;
}

namespace {

struct OpenElement {
  ElementRef ref;
  int32_t nameStart, nameLength;
  ElementRef first, last;  // its first and last child so far: appending follows no links
};

// The open-element stack of one parse: room for 16 on the stack frame, then on the heap, growing
// to twice its capacity plus 6 and keeping its entries.
class OpenStack {
 public:
  OpenStack() = default;
  OpenStack(const OpenStack&) = delete;
  OpenStack& operator=(const OpenStack&) = delete;
  ~OpenStack() {
    if (m_pEntries != m_inline) delete[] m_pEntries;
  }
  bool empty() const { return m_nSize == 0; }
  std::size_t size() const { return m_nSize; }
  OpenElement& operator[](std::size_t i) { return m_pEntries[i]; }
  OpenElement& back() { return m_pEntries[m_nSize - 1]; }
  void pop_back() { --m_nSize; }
  void push_back(const OpenElement& entry) {
    if (m_nSize == m_nCapacity) {
      const std::size_t capacity = 2 * m_nCapacity + 6;
      OpenElement* entries = new OpenElement[capacity];
      std::copy(m_pEntries, m_pEntries + m_nSize, entries);
      if (m_pEntries != m_inline) delete[] m_pEntries;
      m_pEntries = entries;
      m_nCapacity = capacity;
    }
    m_pEntries[m_nSize++] = entry;
  }

 private:
  OpenElement m_inline[16];
  OpenElement* m_pEntries = m_inline;
  std::size_t m_nSize = 0;
  std::size_t m_nCapacity = 16;
};

}  // namespace

ElementRef XmlDocument::ParseElements() {
  OpenStack open;
  const std::string& doc = m_strDoc;
  const char* s = doc.data();
  ElementRef parent = 0;
  ElementRef first = 0;
  TextCursor cursor;
  cursor.text = s;
  cursor.size = static_cast<int32_t>(doc.size());
  TokenRecord token;
  ElementRef docFirst = 0, docLast = 0;  // the top level's first and last element so far
  m_strError.clear();

  // Drops the innermost open level, unended: its children now end its parent's list.
  auto unendInnermost = [&](const std::string& message) {
    const OpenElement inner = open.back();
    UnendElement(inner.ref, message);
    open.pop_back();
    if (inner.first != 0) (open.empty() ? docLast : open.back().last) = inner.last;
  };

  auto illFormed = [&](const std::string& message) {
    m_index[0].flags |= ElementRecord::kIllFormed;
    if (m_strError.empty()) m_strError = message;
  };

  for (;;) {
    // Blanks between tags make a token that is skipped anyway; stepping over them here gives the
    // same tokens after them (a text token that would have begun with them ends where it would).
    while (cursor.next < cursor.size && Is(s[cursor.next], kBlank)) ++cursor.next;
    switch (NextToken(cursor, token)) {
      case kStartTag: {
        if (static_cast<uint32_t>(token.length) > ElementRecord::kMaxStartTag) {
          // The record cannot hold a tag this long: treat it as ill-formed markup.
          illFormed("Element tag at offset " + std::to_string(token.start) + " too long");
          break;
        }
        if (m_nUsedCount == m_index.Capacity()) GrowIndex(0);
        const ElementRef r = m_nUsedCount++;
        if (first == 0) first = r;
        ElementRecord& rec = m_index[r];
        rec.start = token.start;
        rec.length = token.length;
        rec.SetTagLengths(static_cast<uint32_t>(token.length), 0);
        rec.flags = 0;
        rec.parent = parent;
        rec.firstChild = 0;
        rec.nextSibling = 0;
        ElementRef& firstOfParent = open.empty() ? docFirst : open.back().first;
        ElementRef& lastOfParent = open.empty() ? docLast : open.back().last;
        if (firstOfParent != 0) {
          m_index[lastOfParent].nextSibling = r;
          rec.prevSibling = lastOfParent;
          m_index[firstOfParent].prevSibling = r;
        } else {
          m_index[parent].firstChild = r;
          rec.prevSibling = r;
          firstOfParent = r;
        }
        lastOfParent = r;
        if (!token.empty) {
          open.push_back({r, token.nameStart, token.nameLength, 0, 0});
          parent = r;
        }
        break;
      }
      case kEndTag: {
        if (static_cast<uint32_t>(token.length) > ElementRecord::kMaxEndTag) {
          illFormed("Element end tag at offset " + std::to_string(token.start) + " too long");
          break;
        }
        const int32_t nameLength = cursor.nameEnd - cursor.nameStart + 1;
        const char* name = s + cursor.nameStart;
        int level = static_cast<int>(open.size()) - 1;
        while (level >= 0 &&
               !EndTagCloses(name, nameLength, s + open[level].nameStart, open[level].nameLength)) {
          --level;
        }
        if (level < 0) {
          illFormed("No start tag for end tag '" + Span(doc, cursor.nameStart, nameLength) +
                    "' at offset " + std::to_string(token.start));
          break;
        }
        const ElementRef m = open[level].ref;
        ElementRecord& rec = m_index[m];
        rec.length = token.start + token.length - rec.start;
        rec.SetTagLengths(rec.StartTagLength(), static_cast<uint32_t>(token.length));
        while (static_cast<int>(open.size()) - 1 > level) {
          const OpenElement& inner = open.back();
          std::string message;
          if (m_strError.empty()) {
            message = "End tag '" + Span(doc, cursor.nameStart, nameLength) + "' at offset " +
                      std::to_string(token.start + 1) + " does not match start tag '" +
                      Span(doc, inner.nameStart, inner.nameLength) + "' at offset " +
                      std::to_string(m_index[inner.ref].start);
          }
          unendInnermost(message);
        }
        parent = m_index[m].parent;
        open.pop_back();
        break;
      }
      case kErrorToken: illFormed(token.message); break;
      case kEndOfText:
        while (!open.empty()) {
          const OpenElement& inner = open.back();
          std::string message;
          if (m_strError.empty()) {
            message = "Element '" + Span(doc, inner.nameStart, inner.nameLength) + "' at offset " +
                      std::to_string(m_index[inner.ref].start) + " not ended";
          }
          unendInnermost(message);
        }
        return first;
      default: break;  // text, whitespace, CDATA, processing instructions, comments, doctypes
    }
  }
}
