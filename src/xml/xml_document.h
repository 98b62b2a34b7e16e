#pragma once
// XmlDocument: the program's own small XML engine.
//
// The document is one 8-bit text (code page 936) plus an element index built by one pass over it.
// The index stores byte offsets and lengths only; every read goes back to the text, and edits
// change the text in place and shift the offsets instead of parsing again.
//
// Index invariant: after any parse and any sequence of AddElement and SetAttribute on a document
// that parsed without error, parsing the current text again yields the same records (start,
// length, tag lengths, parent/child/sibling links) in the same document order.
#include <cstdint>
#include <string>

using ElementRef = int32_t;

struct ElementRecord {
  int32_t start, length;
  uint32_t tagLengths;  // bits 0-21 start tag, bits 22-31 end tag
  uint32_t flags;       // kUnended, kIllFormed
  ElementRef parent, firstChild, nextSibling, prevSibling;
  static constexpr uint32_t kUnended = 1, kIllFormed = 2;
  static constexpr uint32_t kMaxStartTag = (1u << 22) - 1, kMaxEndTag = (1u << 10) - 1;
  uint32_t StartTagLength() const { return tagLengths & kMaxStartTag; }
  uint32_t EndTagLength() const { return tagLengths >> 22; }
  void SetTagLengths(uint32_t startTag, uint32_t endTag) { tagLengths = startTag | (endTag << 22); }
};

// Segmented array of records: every segment but the last holds exactly 65536 records, so an
// ElementRef (segment in the high 16 bits, slot in the low 16) stays valid while records move.
class ElementIndex {
 public:
  static constexpr int kSegmentRecords = 65536;
  ElementIndex() = default;
  ElementIndex(const ElementIndex& other);
  ElementIndex& operator=(const ElementIndex& other);
  ~ElementIndex();

  ElementRecord& operator[](ElementRef ref) { return m_ppSegments[ref >> 16][ref & 0xFFFF]; }
  const ElementRecord& operator[](ElementRef ref) const {
    return m_ppSegments[ref >> 16][ref & 0xFFFF];
  }
  int Capacity() const { return m_nCapacity; }
  int SegmentSlots() const { return m_nSlots; }
  // Makes room for at least n records (n = 0: one and a half times usedCount); adds at most one
  // segment per call.
  void Grow(int n, int usedCount);

 private:
  void Free();
  ElementRecord** m_ppSegments = nullptr;
  int m_nSlots = 0;
  int m_nCapacity = 0;
};

namespace xml_detail {
struct AttributeScan;
}

class XmlDocument {
 public:
  // A new document is the parse of the empty text: error text "Empty document".
  XmlDocument();
  // Replaces the text (up to its first zero byte) and parses it: true when it is well formed with
  // exactly one top-level element. Every parse resets the positions to the document level.
  bool SetDocumentText(const std::string& text);
  const std::string& GetDocumentText() const { return m_strDoc; }
  const std::string& GetError() const { return m_strError; }

  // Navigation among the children of the parent position. FindElement moves to the next sibling
  // whose name matches (any sibling for an empty name); EnterElement makes the current element
  // the parent; LeaveElement makes the parent current again.
  bool FindElement(const char* name = nullptr);
  void EnterElement();
  void LeaveElement();

  // Edits in place; the index stays exact. AddElement writes <name/> on its own line after the
  // current element (or as the last child) and makes it current; it refuses a name that would not
  // read back as that element. SetAttribute replaces or appends name="value" on the current
  // element; it refuses an edit that would change where the start tag ends.
  bool AddElement(const char* name);
  std::string GetAttribute(const char* name) const;
  bool SetAttribute(const char* name, const std::string& value);

  // The file holds the Base64 form of the text. LoadFile is false when the file cannot be opened
  // (or is refused: unknown size, too large for a 32-bit count); SaveFile is false when the file
  // could not be written whole, and then leaves any previous file as it was. After SaveFile the
  // document holds the encoded text and no element.
  bool LoadFile(const std::string& path);
  bool SaveFile(const std::string& path);

  // Entity escaping of attribute values: < & > ' " and a dangling lead byte at the end.
  static std::string EscapeText(const std::string& text);
  static std::string UnescapeText(const char* text, int length = -1);

  // read-only view of the index and positions
  ElementRef ParentPosition() const { return m_posParent; }
  ElementRef CurrentPosition() const { return m_posCurrent; }
  ElementRef ChildPosition() const { return m_posChild; }
  int UsedCount() const { return m_nUsedCount; }
  int Capacity() const { return m_index.Capacity(); }
  const ElementRecord& Record(ElementRef ref) const;

 private:
  // Parsing (xml_parse.cpp)
  bool Parse();
  ElementRef ParseElements();
  void GrowIndex(int n) { m_index.Grow(n, m_nUsedCount); }
  void UnendElement(ElementRef e, const std::string& message);

  // Navigation (xml_navigation.cpp)
  ElementRef FindSibling(ElementRef current, ElementRef parent, const char* name) const;
  bool FindAttribute(ElementRef e, const char* name, xml_detail::AttributeScan& scan) const;

  // Editing (xml_editing.cpp)
  struct Placement {
    int32_t offset;
    int32_t replaced;
    std::string text;
    ElementRef after;
  };
  Placement PlaceNewElement(ElementRef p, ElementRef m, std::string t);
  bool EndsWithLoneLeadByte() const;
  void LinkElement(ElementRef p, ElementRef m, ElementRef n);
  void ReplaceText(int32_t offset, int32_t count, const std::string& text);
  void ShiftOffsets(ElementRef e, int32_t diff, bool descend);

  // Files (xml_files.cpp)
  static bool ReadTextFile(const std::string& path, std::string& text, std::string& error,
                           bool& refused);
  static bool WriteTextFile(const std::string& path, const std::string& text, std::string& error);

  std::string m_strDoc;
  std::string m_strError;
  ElementRef m_posParent = 0;
  ElementRef m_posCurrent = 0;
  ElementRef m_posChild = 0;
  int32_t m_nUsedCount = 0;
  ElementIndex m_index;
};
