// Parses arbitrary text, then applies a fuzzer-chosen sequence of navigation and edits.
//
// Index invariant checked here: on a document whose first parse met no error, after every
// AddElement and SetAttribute, parsing the edited text again gives the same records (start,
// length, tag lengths, unended flag, and parent / first child / next / previous sibling links) in
// the same document order. On any document, every record stays inside the text and starts at a '<',
// and record 0's length is the text's length; and the parse gives the same records, links, flags,
// error text and result as the plain reference parse below. ASan watches every read.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "text/cp936.h"
#include "xml/xml_chars.h"
#include "xml/xml_document.h"
#include "xml/xml_tokenizer.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "index check failed: %s\n", what);
    std::abort();
  }
}

// Elements in document order, following the links from record 0.
std::vector<ElementRef> DocumentOrder(const XmlDocument& doc) {
  std::vector<ElementRef> order;
  ElementRef cur = doc.Record(0).firstChild;
  while (cur != 0) {
    Check(order.size() < static_cast<std::size_t>(doc.UsedCount()), "links form a cycle");
    order.push_back(cur);
    const ElementRecord& rec = doc.Record(cur);
    if (rec.firstChild != 0) {
      cur = rec.firstChild;
      continue;
    }
    while (cur != 0 && doc.Record(cur).nextSibling == 0) cur = doc.Record(cur).parent;
    if (cur != 0) cur = doc.Record(cur).nextSibling;
  }
  return order;
}

// Links hold together on any document, well formed or not: every record is reached once, children
// point back at their parent, siblings at each other, and a first child at the last one.
void CheckLinks(const XmlDocument& doc) {
  const std::vector<ElementRef> order = DocumentOrder(doc);
  Check(order.size() + 1 == static_cast<std::size_t>(doc.UsedCount()), "every record linked");
  for (ElementRef p = 0; p < doc.UsedCount(); ++p) {
    const ElementRef first = doc.Record(p).firstChild;
    if (first == 0) continue;
    ElementRef cur = first, last = 0;
    while (cur != 0) {
      Check(doc.Record(cur).parent == p, "child points at its parent");
      const ElementRef next = doc.Record(cur).nextSibling;
      if (next != 0) Check(doc.Record(next).prevSibling == cur, "sibling points back");
      last = cur;
      cur = next;
    }
    Check(doc.Record(first).prevSibling == last, "first child points at the last one");
  }
}

void CheckBounds(const XmlDocument& doc) {
  const std::string& text = doc.GetDocumentText();
  Check(doc.Record(0).length == static_cast<int32_t>(text.size()), "record 0 spans the text");
  for (ElementRef r = 1; r < doc.UsedCount(); ++r) {
    const ElementRecord& rec = doc.Record(r);
    Check(rec.start >= 0 && rec.length >= 0 &&
              static_cast<int64_t>(rec.start) + rec.length <= static_cast<int64_t>(text.size()),
          "element inside the text");
    Check(rec.StartTagLength() > 0 && rec.StartTagLength() <= static_cast<uint32_t>(rec.length),
          "start tag inside the element");
    Check(text[rec.start] == '<', "element starts at '<'");
  }
}

void CheckSameIndex(const XmlDocument& edited) {
  XmlDocument fresh;
  fresh.SetDocumentText(edited.GetDocumentText());
  Check(fresh.UsedCount() == edited.UsedCount(), "same number of records");
  const std::vector<ElementRef> a = DocumentOrder(edited);
  const std::vector<ElementRef> b = DocumentOrder(fresh);
  Check(a.size() == b.size(), "same number of elements in document order");
  Check(a.size() + 1 == static_cast<std::size_t>(edited.UsedCount()), "every record linked");
  std::unordered_map<ElementRef, ElementRef> toFresh{{0, 0}};
  for (std::size_t i = 0; i < a.size(); ++i) toFresh[a[i]] = b[i];
  Check(edited.Record(0).length == fresh.Record(0).length, "record 0 length");
  Check(toFresh[edited.Record(0).firstChild] == fresh.Record(0).firstChild, "record 0 child");
  for (std::size_t i = 0; i < a.size(); ++i) {
    const ElementRecord& x = edited.Record(a[i]);
    const ElementRecord& y = fresh.Record(b[i]);
    Check(x.start == y.start, "start");
    Check(x.length == y.length, "length");
    Check(x.tagLengths == y.tagLengths, "tag lengths");
    Check((x.flags & ElementRecord::kUnended) == (y.flags & ElementRecord::kUnended), "unended");
    Check(toFresh[x.parent] == y.parent, "parent");
    Check(toFresh[x.firstChild] == y.firstChild, "first child");
    Check(toFresh[x.nextSibling] == y.nextSibling, "next sibling");
    Check(toFresh[x.prevSibling] == y.prevSibling, "previous sibling");
  }
}

// The end and self-closing flag of the start tag at start, found the obvious way: every character
// stepped in turn, quotes tracked. The tokenizer finds them without stepping every character.
bool PlainStartTag(const std::string& t, int32_t start, int32_t& end, bool& empty) {
  const char* s = t.data();
  const int32_t n = static_cast<int32_t>(t.size());
  auto step = [&](int32_t i) { return static_cast<int32_t>(text::CharLength(s + i, s + n)); };
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  int32_t i = start + 1;
  while (i < n && !blank(s[i]) && s[i] != '/' && s[i] != '>') i += step(i);
  const int32_t nameEnd = i;
  char quote = 0;
  int32_t before1 = -1, before2 = -1;
  for (; i < n; i += step(i)) {
    const char c = s[i];
    if (c == '>' && !quote) {
      empty =
          before1 == i - 1 && s[before1] == '/' &&
          (before1 == nameEnd || (before2 == before1 - 1 &&
                                  (blank(s[before2]) || s[before2] == '"' || s[before2] == '\'')));
      end = i + 1;
      return true;
    }
    if (c == '"' || c == '\'') quote = quote == 0 ? c : (quote == c ? 0 : quote);
    before2 = before1;
    before1 = i;
  }
  return false;
}

void CheckStartTags(const std::string& t) {
  xml_detail::TextCursor cursor;
  cursor.text = t.c_str();
  cursor.size = static_cast<int32_t>(std::strlen(t.c_str()));
  const std::string text(t.c_str());
  xml_detail::TokenRecord token;
  for (;;) {
    const int type = xml_detail::NextToken(cursor, token);
    if (type == xml_detail::kEndOfText) return;
    int32_t end = 0;
    bool empty = false;
    if (type == xml_detail::kStartTag) {
      Check(PlainStartTag(text, token.start, end, empty), "start tag terminated");
      Check(end == token.start + token.length, "start tag end");
      Check(empty == token.empty, "self-closing flag");
    } else if (text[token.start] == '<' && token.start + 1 < static_cast<int32_t>(text.size()) &&
               (static_cast<unsigned char>(text[token.start + 1]) >= 0x7B ||
                std::isalpha(static_cast<unsigned char>(text[token.start + 1])) ||
                text[token.start + 1] == '_' || text[token.start + 1] == ':')) {
      Check(!PlainStartTag(text, token.start, end, empty), "unterminated start tag");
    }
  }
}

// The parse done the plain way, as the parser once did it: an end tag tries every open element
// from the innermost out, and an unended element sets the parent of each of its children, which
// the unending of every open element above them sets again. Quadratic in the depth, obvious to
// read; the parser finds the same element through an index and sets each parent once.
struct ReferenceParse {
  std::vector<ElementRecord> records;  // record 0 is the document
  std::string error;
  bool result = false;
};

bool ReferenceEndTagCloses(const char* endName, int32_t endLength, const char* openName,
                           int32_t openLength) {
  if (endLength > openLength || std::memcmp(endName, openName, endLength) != 0) return false;
  return endLength == openLength || xml_detail::Is(openName[endLength], xml_detail::kNameFollow);
}

std::string ReferenceSpan(const std::string& s, int32_t start, int32_t length) {
  return length > 0 ? s.substr(start, length) : std::string();
}

void ReferenceUnend(ReferenceParse& p, ElementRef e, const std::string& message) {
  std::vector<ElementRecord>& x = p.records;
  x[0].flags |= ElementRecord::kIllFormed;
  ElementRecord& rec = x[e];
  rec.SetTagLengths(rec.StartTagLength(), 0);
  rec.flags |= ElementRecord::kUnended;
  rec.length = static_cast<int32_t>(rec.StartTagLength());
  const ElementRef child = rec.firstChild;
  if (child != 0) {
    const ElementRef lastChild = x[child].prevSibling;
    const ElementRef parent = rec.parent;
    rec.firstChild = 0;
    rec.nextSibling = child;
    x[child].prevSibling = e;
    for (ElementRef c = child; c != 0; c = x[c].nextSibling) x[c].parent = parent;
    x[x[parent].firstChild].prevSibling = lastChild;
  }
  if (p.error.empty()) p.error = message;
}

ElementRef ReferenceElements(ReferenceParse& p, const std::string& doc) {
  using namespace xml_detail;
  struct Open {
    ElementRef ref;
    int32_t nameStart, nameLength;
    ElementRef first, last;
  };
  std::vector<ElementRecord>& x = p.records;
  std::vector<Open> open;
  const char* s = doc.data();
  ElementRef parent = 0, first = 0, docFirst = 0, docLast = 0;
  TextCursor cursor;
  cursor.text = s;
  cursor.size = static_cast<int32_t>(doc.size());
  TokenRecord token;
  auto unendInnermost = [&](const std::string& message) {
    const Open inner = open.back();
    ReferenceUnend(p, inner.ref, message);
    open.pop_back();
    if (inner.first != 0) (open.empty() ? docLast : open.back().last) = inner.last;
  };
  auto illFormed = [&](const std::string& message) {
    x[0].flags |= ElementRecord::kIllFormed;
    if (p.error.empty()) p.error = message;
  };
  for (;;) {
    while (cursor.next < cursor.size && Is(s[cursor.next], kBlank)) ++cursor.next;
    switch (NextToken(cursor, token)) {
      case kStartTag: {
        if (static_cast<uint32_t>(token.length) > ElementRecord::kMaxStartTag) {
          illFormed("Element tag at offset " + std::to_string(token.start) + " too long");
          break;
        }
        const ElementRef r = static_cast<ElementRef>(x.size());
        x.push_back(ElementRecord{});
        if (first == 0) first = r;
        ElementRecord& rec = x[r];
        rec.start = token.start;
        rec.length = token.length;
        rec.SetTagLengths(static_cast<uint32_t>(token.length), 0);
        rec.parent = parent;
        ElementRef& firstOfParent = open.empty() ? docFirst : open.back().first;
        ElementRef& lastOfParent = open.empty() ? docLast : open.back().last;
        if (firstOfParent != 0) {
          x[lastOfParent].nextSibling = r;
          rec.prevSibling = lastOfParent;
          x[firstOfParent].prevSibling = r;
        } else {
          x[parent].firstChild = r;
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
        while (level >= 0 && !ReferenceEndTagCloses(name, nameLength, s + open[level].nameStart,
                                                    open[level].nameLength)) {
          --level;
        }
        if (level < 0) {
          illFormed("No start tag for end tag '" +
                    ReferenceSpan(doc, cursor.nameStart, nameLength) + "' at offset " +
                    std::to_string(token.start));
          break;
        }
        const ElementRef m = open[level].ref;
        x[m].length = token.start + token.length - x[m].start;
        x[m].SetTagLengths(x[m].StartTagLength(), static_cast<uint32_t>(token.length));
        while (static_cast<int>(open.size()) - 1 > level) {
          const Open& inner = open.back();
          std::string message;
          if (p.error.empty()) {
            message = "End tag '" + ReferenceSpan(doc, cursor.nameStart, nameLength) +
                      "' at offset " + std::to_string(token.start + 1) +
                      " does not match start tag '" +
                      ReferenceSpan(doc, inner.nameStart, inner.nameLength) + "' at offset " +
                      std::to_string(x[inner.ref].start);
          }
          unendInnermost(message);
        }
        parent = x[m].parent;
        open.pop_back();
        break;
      }
      case kErrorToken: illFormed(token.message); break;
      case kEndOfText:
        while (!open.empty()) {
          const Open& inner = open.back();
          std::string message;
          if (p.error.empty()) {
            message = "Element '" + ReferenceSpan(doc, inner.nameStart, inner.nameLength) +
                      "' at offset " + std::to_string(x[inner.ref].start) + " not ended";
          }
          unendInnermost(message);
        }
        return first;
      default: break;
    }
  }
}

ReferenceParse ParseByReference(const std::string& text) {
  ReferenceParse p;
  const std::string doc(text.c_str());
  p.records.push_back(ElementRecord{});
  if (doc.empty()) {
    p.error = "Empty document";
    return p;
  }
  const ElementRef first = ReferenceElements(p, doc);
  ElementRecord& root = p.records[0];
  root.length = static_cast<int32_t>(doc.size());
  if (first == 0) {
    p.error = "No root element";
  } else {
    root.firstChild = first;
    if (p.records[first].nextSibling != 0) p.error = "Root element has sibling";
  }
  p.result = !(root.flags & ElementRecord::kIllFormed) && root.firstChild != 0 &&
             p.records[root.firstChild].nextSibling == 0;
  return p;
}

void CheckAgainstReference(const XmlDocument& doc, bool result, const std::string& text) {
  const ReferenceParse p = ParseByReference(text);
  Check(result == p.result, "reference: result");
  Check(doc.GetError() == p.error, "reference: error text");
  Check(doc.UsedCount() == static_cast<int>(p.records.size()), "reference: record count");
  for (ElementRef r = 0; r < doc.UsedCount(); ++r) {
    const ElementRecord& x = doc.Record(r);
    const ElementRecord& y = p.records[r];
    Check(x.start == y.start && x.length == y.length && x.tagLengths == y.tagLengths,
          "reference: offsets");
    Check(x.flags == y.flags, "reference: flags");
    Check(x.parent == y.parent && x.firstChild == y.firstChild && x.nextSibling == y.nextSibling &&
              x.prevSibling == y.prevSibling,
          "reference: links");
  }
}

// Names the registry uses, plus prefixes, multibyte and bracketed forms, and some that are not
// names at all and must be refused or handled without harm.
const char* const kNames[] = {"a",        "b",        "CONFIG", "ComputerInfo", "ComputerId1",
                              "USERNAME", "STATUS",   "MAC",    "a[2]",         "\xD6\xF7\xBB\xFA",
                              "x:y",      "Computer", "",       "a b",          "a>",
                              "1",        "a/b",      "\xD6",   "a\"",          nullptr};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider fdp(data, size);
  struct Op {
    int kind;
    int name;
    std::string value;
  };
  std::vector<Op> ops(fdp.ConsumeIntegralInRange<int>(0, 24));
  for (Op& op : ops) {
    op.kind = fdp.ConsumeIntegralInRange<int>(0, 5);
    op.name = fdp.ConsumeIntegralInRange<int>(0, sizeof kNames / sizeof kNames[0] - 1);
  }
  for (Op& op : ops) {
    if (op.kind == 4) op.value = fdp.ConsumeBytesAsString(fdp.ConsumeIntegralInRange<int>(0, 12));
  }
  const std::string text = fdp.ConsumeRemainingBytesAsString();

  // XML_FUZZ_TRACE=1 prints the document after every step when reproducing a finding.
  static const bool trace = std::getenv("XML_FUZZ_TRACE") != nullptr;
  XmlDocument doc;
  const bool result = doc.SetDocumentText(text);
  if (trace) std::fprintf(stderr, "text [%s] error [%s]\n", text.c_str(), doc.GetError().c_str());
  const bool clean = !(doc.Record(0).flags & ElementRecord::kIllFormed);
  CheckStartTags(text);
  CheckAgainstReference(doc, result, text);
  CheckBounds(doc);
  CheckLinks(doc);
  if (clean) CheckSameIndex(doc);

  for (const Op& op : ops) {
    const char* name = kNames[op.name];
    if (trace) std::fprintf(stderr, "doing op %d name [%s]\n", op.kind, name ? name : "(null)");
    bool edited = false;
    switch (op.kind) {
      case 0: doc.FindElement(name); break;
      case 1: doc.EnterElement(); break;
      case 2: doc.LeaveElement(); break;
      case 3: edited = doc.AddElement(name); break;
      case 4:
        edited = doc.SetAttribute(name, op.value);
        if (edited) {
          Check(doc.GetAttribute(name) == std::string(op.value.c_str()),
                "value reads back unchanged");
        }
        break;
      default: doc.GetAttribute(name); break;
    }
    if (trace) {
      std::fprintf(stderr, "op %d name [%s] value [%s] edited %d -> [%s]\n", op.kind,
                   name ? name : "(null)", op.value.c_str(), edited, doc.GetDocumentText().c_str());
    }
    Check(doc.CurrentPosition() >= 0 && doc.CurrentPosition() < doc.UsedCount(), "current");
    Check(doc.ParentPosition() >= 0 && doc.ParentPosition() < doc.UsedCount(), "parent");
    if (edited) {
      CheckBounds(doc);
      CheckLinks(doc);
      if (clean) CheckSameIndex(doc);
    }
  }
  return 0;
}
