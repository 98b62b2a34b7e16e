// Navigation and reading: positions, element names and the attribute scan.
#include <cstring>

#include "xml/xml_attribute_scan.h"
#include "xml/xml_chars.h"
#include "xml/xml_document.h"

using namespace xml_detail;

namespace xml_detail {

bool NameMatches(const char* found, int32_t foundLength, const char* searched) {
  for (int32_t k = 0; k < foundLength; ++k) {
    if (searched[k] == '\0' || searched[k] != found[k]) return false;
  }
  const char next = searched[foundLength];
  return next == '\0' || Is(next, kNameFollow);
}

int32_t ElementNameEnd(const char* s, int32_t n, int32_t i) {
  while (i < n && !Is(s[i], kElementNameEnd)) i += Step(s, i, n);
  return i;
}

int32_t ElementNameStart(const char* s, int32_t n, int32_t i) {
  while (i < n && Is(s[i], kBlank)) ++i;
  return i;
}

}  // namespace xml_detail

ElementRef XmlDocument::FindSibling(ElementRef current, ElementRef parent, const char* name) const {
  ElementRef candidate = current != 0 ? m_index[current].nextSibling : m_index[parent].firstChild;
  if (name == nullptr || name[0] == '\0') return candidate;
  const char* s = m_strDoc.data();
  const int32_t n = static_cast<int32_t>(m_strDoc.size());
  for (; candidate != 0; candidate = m_index[candidate].nextSibling) {
    const int32_t begin = ElementNameStart(s, n, m_index[candidate].start + 1);
    const int32_t end = ElementNameEnd(s, n, begin);
    if (NameMatches(s + begin, end - begin, name)) return candidate;
  }
  return 0;
}

bool XmlDocument::FindElement(const char* name) {
  const ElementRef r = FindSibling(m_posCurrent, m_posParent, name);
  if (r == 0) return false;
  m_posCurrent = r;
  m_posParent = m_index[r].parent;
  m_posChild = 0;
  return true;
}

void XmlDocument::EnterElement() {
  if (m_posCurrent == 0) return;
  m_posParent = m_posCurrent;
  m_posCurrent = m_posChild;
  m_posChild = 0;
}

void XmlDocument::LeaveElement() {
  if (m_posParent == 0) return;
  m_posChild = m_posCurrent;
  m_posCurrent = m_posParent;
  m_posParent = m_index[m_posCurrent].parent;
}

// The scan reads no further than e's start tag: a value whose quote does not close inside it would
// otherwise be read from the text of the elements that follow.
bool XmlDocument::FindAttribute(ElementRef e, const char* name, AttributeScan& scan) const {
  const ElementRecord& rec = m_index[e];
  return ScanAttribute(m_strDoc.data(), rec.start + static_cast<int32_t>(rec.StartTagLength()),
                       rec.start, name, scan);
}

// Scans the start tag at tagStart token by token after its '<': names, '=', values (quoted or not)
// and the closing '>', '/' or '?'. The first name is the element's own. n bounds the tag: a quoted
// value that does not close before it ends the scan, not found, with nowhere to insert.
bool xml_detail::ScanAttribute(const char* s, int32_t n, int32_t tagStart, const char* name,
                               AttributeScan& scan) {
  int32_t i = tagStart + 1;
  bool elementName = true;
  bool afterEquals = false;
  bool matched = false;
  int32_t nameFirst = 0, nameLast = -1;
  scan = AttributeScan{};
  for (;;) {
    const int32_t blankStart = i;
    while (i < n && Is(s[i], kBlank)) ++i;
    if (i >= n || s[i] == '>' || ((s[i] == '/' || s[i] == '?') && !afterEquals)) {
      // The tag ends here (the end of the text counts as its end).
      if (matched) {
        scan.first = nameFirst;
        scan.last = nameLast;
        scan.quoted = false;
        scan.hasValue = false;
        return true;
      }
      scan.insertAt = blankStart;
      return false;
    }
    const char c = s[i];
    if (c == '"' || c == '\'') {
      const int32_t first = i + 1;
      int32_t j = first;
      while (j < n && s[j] != c) j += Step(s, j, n);
      if (j >= n) {
        scan.insertAt = -1;
        return false;
      }
      afterEquals = false;
      i = j + 1;
      if (matched) {
        scan.first = first;
        scan.last = j - 1;
        scan.quoted = true;
        scan.hasValue = true;
        return true;
      }
      continue;
    }
    if (afterEquals) {
      // Unquoted value: up to a blank or '>'.
      const int32_t first = i;
      while (i < n && !Is(s[i], kBlank) && s[i] != '>') i += Step(s, i, n);
      afterEquals = false;
      if (matched) {
        scan.first = first;
        scan.last = i - 1;
        scan.quoted = false;
        scan.hasValue = true;
        return true;
      }
      continue;
    }
    if (c == '=') {
      afterEquals = true;
      ++i;
      continue;
    }
    const int32_t first = i;
    while (i < n && !Is(s[i], kAttrNameEnd)) i += Step(s, i, n);
    if (elementName) {
      elementName = false;
    } else if (matched) {
      // The matched attribute had no '=': its value is its name.
      scan.first = nameFirst;
      scan.last = nameLast;
      scan.quoted = false;
      scan.hasValue = false;
      return true;
    } else if (NameMatches(s + first, i - first, name)) {
      matched = true;
      nameFirst = first;
      nameLast = i - 1;
    }
  }
}

std::string XmlDocument::GetAttribute(const char* name) const {
  if (m_posCurrent == 0 || name == nullptr || name[0] == '\0') return std::string();
  AttributeScan scan;
  if (!FindAttribute(m_posCurrent, name, scan)) return std::string();
  return UnescapeText(m_strDoc.data() + scan.first, scan.last - scan.first + 1);
}
