#include <atomic>
#include <cstdint>
#include <cstdlib>

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "counting_heap.h"
#include "xml/xml_document.h"

namespace {

struct ParseCase {
  const char* text;
  bool result;
  const char* error;
};

// Results and error texts of the parse, byte for byte; only the first error reaches the text,
// and the three document-level messages replace it.
const ParseCase kParseCases[] = {
    {"", false, "Empty document"},
    {"<?xml version=\"1.0\"?>", false, "No root element"},
    {"<a/>", true, ""},
    {"<a><b></a>", false, "End tag 'a' at offset 7 does not match start tag 'b' at offset 3"},
    {"<a></b>", false, "No start tag for end tag 'b' at offset 3"},
    {"<a>", false, "Element 'a' at offset 0 not ended"},
    {"<a/><b/>", false, "Root element has sibling"},
    {"<1a/>", false, "No root element"},
    {"<a><1b/></a>", false, "Incorrect tag name character at offset 3"},
    {"<a><!-x></a>", false, "Incorrect comment tag at offset 3"},
    {"<a><![x]></a>", false, "Incorrect tag at offset 3"},
    {"<a><!x></a>", false, "Incorrect ! tag at offset 3"},
    {"<a><!-- x", false, "Comment at offset 3 unterminated"},
    {"<a><?pi x", false, "Processing instruction at offset 3 unterminated"},
    {"<a><![CDATA[x", false, "CDATA Section at offset 3 unterminated"},
    {"<a></a", false, "Element end tag at offset 3 unterminated"},
    {"<a><b c='>", false, "Element tag at offset 3 unterminated"},
    {"<a><!DOCTYPE x", false, "Doctype at offset 3 unterminated"},
    {"<a><!ENTITY x '>", false, "Doctype at offset 3 unterminated"},
    {"<a><", false, "tag at offset 3 unterminated"},
    {"<a><1", false, "tag at offset 3 unterminated"},  // replaces "Incorrect ..."
    {"<a title='x>y'/>", true, ""},
    {"<a title=\"x>y\"></a>", true, ""},
    {"<a />", true, ""},
    {"<a b='1'/>", true, ""},
    {"<a b=1/>", false, "Element 'a' at offset 0 not ended"},  // the '/' belongs to the value
    {"<a=b></a>", true, ""},                                   // '=' may follow a matched name
    {"<ab></a>", false, "No start tag for end tag 'a' at offset 4"},
    {"<A></a>", false, "No start tag for end tag 'a' at offset 3"},
    {"<!--><a/>", true, ""},                // the end "-->" may overlap the opening
    {"<?><a/>", false, "No root element"},  // "?>" needs an offset above 2: never ends here
    {"<a><?></a>", true, ""},
    {"<a><![CDATA[</a>]]></a>", true, ""},
    {"<!DOCTYPE a [<!ELEMENT a ANY><!DOCTYPE><!-- > -->]><a/>", true, ""},
    {"<!DOCTYPE a [<1>]><a/>", true, ""},  // a nested error is dropped with the doctype
    {"<a>x > y<b/>\t\r\n</a>", true, ""},
    {"<a></a><!-- trailing --> text", true, ""},
    {"<a>\x81", false, "Element 'a' at offset 0 not ended"},  // lone lead byte at the end
    {"<r><a \x81", false, "Element tag at offset 3 unterminated"},
    {"<\xD6\xF7 x='\xB1\xEA'></\xD6\xF7>", true, ""},
    {"<a>\x81</a>", false, "Element 'a' at offset 0 not ended"},  // the lead byte takes the '<'
    // End tags that the innermost element does not take, among names that share prefixes.
    {"<r><a=b]c><a=b[1]></a=b]c></r>", false,
     "End tag 'a=b]c' at offset 19 does not match start tag 'a=b[1]' at offset 10"},
    {"<r><a=b><a=c><a=bc></a=b></r>", false,
     "End tag 'a=b' at offset 20 does not match start tag 'a=bc' at offset 13"},
    {"<r><a=b><a=c><x></a=d></a></r>", false, "No start tag for end tag 'a=d' at offset 16"},
};

TEST(XmlParse, ResultsAndErrorTexts) {
  for (const ParseCase& c : kParseCases) {
    XmlDocument doc;
    EXPECT_EQ(doc.SetDocumentText(c.text), c.result) << c.text;
    EXPECT_EQ(doc.GetError(), c.error) << c.text;
    EXPECT_EQ(doc.Record(0).length, static_cast<int32_t>(std::string(c.text).size()));
    if (c.result) {
      EXPECT_EQ(doc.Record(0).flags, 0u) << c.text;
    }
  }
}

TEST(XmlParse, NewDocumentIsEmptyWithEightRecords) {
  XmlDocument doc;
  EXPECT_EQ(doc.GetError(), "Empty document");
  EXPECT_EQ(doc.UsedCount(), 1);
  EXPECT_EQ(doc.Capacity(), 8);
  EXPECT_EQ(doc.ParentPosition(), 0);
  EXPECT_EQ(doc.CurrentPosition(), 0);
  EXPECT_EQ(doc.ChildPosition(), 0);
}

TEST(XmlParse, RecordsHoldOffsetsAndTagLengths) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText("<r x='1'><e/>\r\n<f>t</f></r>"));
  ASSERT_EQ(doc.UsedCount(), 4);
  const ElementRecord& r = doc.Record(1);
  EXPECT_EQ(r.start, 0);
  EXPECT_EQ(r.length, 27);
  EXPECT_EQ(r.StartTagLength(), 9u);
  EXPECT_EQ(r.EndTagLength(), 4u);
  EXPECT_EQ(r.firstChild, 2);
  const ElementRecord& e = doc.Record(2);
  EXPECT_EQ(e.start, 9);
  EXPECT_EQ(e.length, 4);
  EXPECT_EQ(e.StartTagLength(), 4u);
  EXPECT_EQ(e.EndTagLength(), 0u);
  EXPECT_EQ(e.nextSibling, 3);
  EXPECT_EQ(e.prevSibling, 3);  // the first child points at the last one
  const ElementRecord& f = doc.Record(3);
  EXPECT_EQ(f.start, 15);
  EXPECT_EQ(f.length, 8);
  EXPECT_EQ(f.prevSibling, 2);
  EXPECT_EQ(f.nextSibling, 0);
  EXPECT_EQ(f.parent, 1);
  EXPECT_EQ(doc.Record(0).firstChild, 1);
}

TEST(XmlParse, UnendedElementsHandTheirChildrenToTheParent) {
  XmlDocument doc;
  EXPECT_FALSE(doc.SetDocumentText("<a><b><c/><d/></a>"));
  // a=1, b=2, c=3, d=4: b is unended, c and d follow it as siblings under a.
  const ElementRecord& b = doc.Record(2);
  EXPECT_EQ(b.flags, ElementRecord::kUnended);
  EXPECT_EQ(b.length, 3);
  EXPECT_EQ(b.EndTagLength(), 0u);
  EXPECT_EQ(b.firstChild, 0);
  EXPECT_EQ(b.nextSibling, 3);
  EXPECT_EQ(doc.Record(3).parent, 1);
  EXPECT_EQ(doc.Record(4).parent, 1);
  EXPECT_EQ(doc.Record(3).prevSibling, 2);
  EXPECT_EQ(doc.Record(2).prevSibling, 4);  // a's last child is d
  EXPECT_EQ(doc.Record(1).length, 18);
  EXPECT_EQ(doc.Record(0).flags, ElementRecord::kIllFormed);

  // At the end of the text every open element is unended, innermost first; all three end up at
  // the top level, and that message replaces the first one.
  EXPECT_FALSE(doc.SetDocumentText("<a><b><c/>"));
  EXPECT_EQ(doc.GetError(), "Root element has sibling");
  EXPECT_FALSE(doc.SetDocumentText("<r><a><b><c/></r>"));
  EXPECT_EQ(doc.GetError(), "End tag 'r' at offset 14 does not match start tag 'b' at offset 6");
  EXPECT_FALSE(doc.SetDocumentText("<a><b><c/>"));
  EXPECT_EQ(doc.Record(1).nextSibling, 2);
  EXPECT_EQ(doc.Record(2).nextSibling, 3);
  EXPECT_EQ(doc.Record(3).parent, 0);
  EXPECT_EQ(doc.Record(1).prevSibling, 3);
  EXPECT_FALSE(doc.SetDocumentText("<a>text"));
  EXPECT_EQ(doc.GetError(), "Element 'a' at offset 0 not ended");
}

TEST(XmlParse, EveryParseResetsPositionsAndIndex) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText("<a><b/></a>"));
  ASSERT_TRUE(doc.FindElement("a"));
  doc.EnterElement();
  ASSERT_TRUE(doc.FindElement("b"));
  EXPECT_FALSE(doc.SetDocumentText("<x/><y/>"));
  EXPECT_EQ(doc.ParentPosition(), 0);
  EXPECT_EQ(doc.CurrentPosition(), 0);
  EXPECT_EQ(doc.UsedCount(), 3);
  EXPECT_EQ(doc.Record(0).firstChild, 1);
  EXPECT_EQ(doc.Record(1).nextSibling, 2);
}

TEST(XmlParse, TextEndsAtItsFirstZeroByte) {
  XmlDocument doc;
  EXPECT_TRUE(doc.SetDocumentText(std::string("<a/>\0<b/>", 9)));
  EXPECT_EQ(doc.GetDocumentText(), "<a/>");
}

TEST(XmlParse, IndexGrowsBySegmentsAndRefsStayValid) {
  // 8 MiB of text asks for more than two segments; the first allocation stops at two.
  std::string big = "<r>" + std::string(8 * 1024 * 1024, ' ') + "</r>";
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText(big));
  EXPECT_EQ(doc.Capacity(), 2 * 65536);

  // 200000 children fill three segments and more; every record still describes its element.
  const int kChildren = 200000;
  std::string many = "<r>";
  for (int i = 0; i < kChildren; ++i) many += "<e/>";
  many += "</r>";
  ASSERT_TRUE(doc.SetDocumentText(many));
  ASSERT_EQ(doc.UsedCount(), kChildren + 2);
  EXPECT_GE(doc.Capacity(), doc.UsedCount());
  ElementRef child = doc.Record(1).firstChild;
  for (int i = 0; i < kChildren; ++i) {
    ASSERT_EQ(child, i + 2);
    ASSERT_EQ(doc.Record(child).start, 3 + 4 * i);
    ASSERT_EQ(doc.Record(child).parent, 1);
    child = doc.Record(child).nextSibling;
  }
  EXPECT_EQ(child, 0);
  EXPECT_EQ(doc.Record(doc.Record(1).firstChild).prevSibling, kChildren + 1);
}

TEST(XmlParse, IndexGrowthAddsOneSegmentPerStep) {
  ElementIndex index;
  index.Grow(8, 1);
  EXPECT_EQ(index.Capacity(), 8);
  index[7].start = 77;
  index.Grow(5 * 65536, 8);  // limited to two full segments
  EXPECT_EQ(index.Capacity(), 2 * 65536);
  EXPECT_EQ(index[7].start, 77);
  EXPECT_EQ(index[2 * 65536 - 1].start, 0);  // new records are cleared
  index[65536 + 5].start = 55;
  index.Grow(0, 2 * 65536);  // one and a half times the used count: a third segment
  EXPECT_EQ(index.Capacity(), 3 * 65536);
  EXPECT_EQ(index[7].start, 77);
  EXPECT_EQ(index[65536 + 5].start, 55);
  index.Grow(100, 1);  // already large enough
  EXPECT_EQ(index.Capacity(), 3 * 65536);
}

// Peak heap bytes of parsing text into a new document, its own copy of the text included.
int64_t ParsePeak(const std::string& text) {
  const int64_t before = heap::live;
  heap::peak = before;
  XmlDocument doc;
  doc.SetDocumentText(text);
  return heap::peak - before;
}

TEST(XmlParse, MemoryStaysProportionalToTheText) {
  // The end tag that closes nothing makes the parser look up open names by the end tags that
  // would close them. A name with many such prefixes, or many such names, cost no more than twice
  // a flat document of the same size.
  const std::size_t kSize = 1 << 20;
  std::string flat = "<r>", longName = "<r></x><a", distinct = "<r></x>";
  while (flat.size() + 8 <= kSize) flat += "<a/>";
  flat += "</r>";
  while (longName.size() + 3 <= kSize) longName += "=a";
  longName += ">";
  for (int n = 0; distinct.size() + 32 <= kSize; ++n) {
    distinct += "<a=" + std::to_string(n) + "=b=c=d=e=f=g=h>";
  }
  const int64_t flatPeak = ParsePeak(flat);
  EXPECT_LE(ParsePeak(longName), 2 * flatPeak);
  EXPECT_LE(ParsePeak(distinct), 2 * flatPeak);
}

TEST(XmlParse, EndTagAsLongAsAllowedClosesTheNameItBegins) {
  // Open names are looked up only as far as an end tag can reach: the longest end tag allowed
  // still finds the element whose much longer name it begins.
  std::string name = "a";
  while (name.size() < 1100) name += "=a";
  const std::string end = name.substr(0, 1019);  // name[1019] is '=': the end tag closes it
  XmlDocument doc;
  EXPECT_FALSE(doc.SetDocumentText("<r><" + name + "><x></" + end + "></r>"));
  const int32_t xAt = static_cast<int32_t>(name.size()) + 5;
  EXPECT_EQ(doc.GetError(), "End tag '" + end + "' at offset " + std::to_string(xAt + 4) +
                                " does not match start tag 'x' at offset " + std::to_string(xAt));
  EXPECT_EQ(doc.Record(2).EndTagLength(), ElementRecord::kMaxEndTag - 1);
  EXPECT_EQ(doc.Record(1).flags & ElementRecord::kUnended, 0u);
}

}  // namespace
