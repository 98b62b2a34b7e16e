// Parsing: the parse entry, ParseElements and the handling of unended elements.
#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "xml/xml_chars.h"
#include "xml/xml_document.h"
#include "xml/xml_open_index.h"
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
// former children follow it as siblings under its parent. The caller sets their parent fields,
// once, to the element they end up under when every unended level above them is gone.
void XmlDocument::UnendElement(ElementRef e, const std::string& message) {
  m_index[0].flags |= ElementRecord::kIllFormed;
  ElementRecord& rec = m_index[e];
  rec.SetTagLengths(rec.StartTagLength(), 0);
  rec.flags |= ElementRecord::kUnended;
  rec.length = static_cast<int32_t>(rec.StartTagLength());
  const ElementRef child = rec.firstChild;
  if (child != 0) {
    const ElementRef lastChild = m_index[child].prevSibling;
    rec.firstChild = 0;
    rec.nextSibling = child;  // e was its parent's last child: everything after it was inside it
    m_index[child].prevSibling = e;
    m_index[m_index[rec.parent].firstChild].prevSibling = lastChild;
  }
  if (m_strError.empty()) m_strError = message;
}

ElementRef XmlDocument::ParseElements() {
  const std::string& doc = m_strDoc;
  const char* s = doc.data();
  // The open elements are parent and its ancestors: an open element's parent field is final when
  // it opens. Its length is not known until it closes, so until then the field holds the length
  // of its tag name.
  ElementRef parent = 0;
  ElementRef first = 0;
  TextCursor cursor;
  cursor.text = s;
  cursor.size = static_cast<int32_t>(doc.size());
  TokenRecord token;
  // Filled at the first end tag that the innermost element does not take, then kept in step with
  // the open elements; a well-formed document never needs it.
  OpenNameIndex names(s, static_cast<int32_t>(ElementRecord::kMaxEndTag));
  bool indexed = false;
  m_strError.clear();

  auto nameOf = [&](ElementRef e) { return Span(doc, m_index[e].start + 1, m_index[e].length); };

  // Drops the innermost open element e, unended: its children now end its parent's list. The open
  // elements inside target are unended innermost first and all their children end up under
  // target, so each child's parent is set once, here: done, the element unended just before, is
  // e's last own child; the children after it were done's and were set with them.
  auto unendInnermost = [&](ElementRef target, ElementRef done, const std::string& message) {
    const ElementRef e = parent;
    for (ElementRef c = m_index[e].firstChild; c != 0; c = m_index[c].nextSibling) {
      m_index[c].parent = target;
      if (c == done) break;
    }
    parent = m_index[e].parent;
    UnendElement(e, message);
    if (indexed) names.Pop();
    return e;
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
        rec.length = token.empty ? token.length : token.nameLength;
        rec.SetTagLengths(static_cast<uint32_t>(token.length), 0);
        rec.flags = 0;
        rec.parent = parent;
        rec.firstChild = 0;
        rec.nextSibling = 0;
        // r becomes parent's last child; the first child points at the last one.
        ElementRecord& par = m_index[parent];
        if (par.firstChild != 0) {
          ElementRecord& f = m_index[par.firstChild];
          m_index[f.prevSibling].nextSibling = r;
          rec.prevSibling = f.prevSibling;
          f.prevSibling = r;
        } else {
          par.firstChild = r;
          rec.prevSibling = r;
        }
        if (!token.empty) {
          if (indexed) names.Push(r, token.nameStart, token.nameLength);
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
        auto closes = [&](ElementRef e) {
          return EndTagCloses(name, nameLength, s + m_index[e].start + 1, m_index[e].length);
        };
        ElementRef m = parent;
        if (m != 0 && !closes(m)) {
          if (!indexed) {
            // File the open elements outermost first, the order they opened in: walk up turning
            // each parent link around, then down turning it back.
            ElementRef below = 0, e = parent;
            std::size_t depth = 0;
            for (; e != 0; ++depth) {
              std::swap(m_index[e].parent, below);  // below = the element above e
              std::swap(e, below);
            }
            names.Reserve(depth);
            for (e = below, below = 0; e != 0;) {
              names.Push(e, m_index[e].start + 1, m_index[e].length);
              std::swap(m_index[e].parent, below);  // below = the element inside e
              std::swap(e, below);
            }
            indexed = true;
          }
          m = std::max(names.Find(name, nameLength), 0);
        }
        if (m == 0) {
          std::string message;  // only the first error is kept: build no text that goes unused
          if (m_strError.empty()) {
            message = "No start tag for end tag '" + Span(doc, cursor.nameStart, nameLength) +
                      "' at offset " + std::to_string(token.start);
          }
          illFormed(message);
          break;
        }
        ElementRef done = 0;
        while (parent != m) {
          std::string message;
          if (m_strError.empty()) {
            message = "End tag '" + Span(doc, cursor.nameStart, nameLength) + "' at offset " +
                      std::to_string(token.start + 1) + " does not match start tag '" +
                      nameOf(parent) + "' at offset " + std::to_string(m_index[parent].start);
          }
          done = unendInnermost(m, done, message);
        }
        ElementRecord& rec = m_index[m];
        rec.length = token.start + token.length - rec.start;
        rec.SetTagLengths(rec.StartTagLength(), static_cast<uint32_t>(token.length));
        parent = rec.parent;
        if (indexed) names.Pop();
        break;
      }
      case kErrorToken: illFormed(token.message); break;
      case kEndOfText: {
        indexed = false;  // no end tag is left to look up
        ElementRef done = 0;
        while (parent != 0) {
          std::string message;
          if (m_strError.empty()) {
            message = "Element '" + nameOf(parent) + "' at offset " +
                      std::to_string(m_index[parent].start) + " not ended";
          }
          done = unendInnermost(0, done, message);
        }
        return first;
      }
      default: break;  // text, whitespace, CDATA, processing instructions, comments, doctypes
    }
  }
}
