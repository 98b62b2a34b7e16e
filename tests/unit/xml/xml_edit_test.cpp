#include <gtest/gtest.h>

#include <string>

#include "index_check.h"
#include "xml/xml_document.h"

namespace {

const char kDeclaration[] = "<?xml version=\"1.0\"?>";

TEST(XmlNavigation, FindElementWalksMatchingSiblings) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText(
      "<CONFIG><ComputerInfo2/><ComputerInfo a='1'/><x/><ComputerInfo a='2'/></CONFIG>"));
  EXPECT_TRUE(doc.FindElement("CONFIG"));
  EXPECT_FALSE(doc.FindElement("CONFIG"));  // the root has no sibling of that name
  EXPECT_EQ(doc.CurrentPosition(), 1);
  doc.EnterElement();
  EXPECT_EQ(doc.ParentPosition(), 1);
  EXPECT_EQ(doc.CurrentPosition(), 0);
  ASSERT_TRUE(doc.FindElement("ComputerInfo"));  // not ComputerInfo2
  EXPECT_EQ(doc.GetAttribute("a"), "1");
  ASSERT_TRUE(doc.FindElement("ComputerInfo"));
  EXPECT_EQ(doc.GetAttribute("a"), "2");
  const ElementRef last = doc.CurrentPosition();
  EXPECT_FALSE(doc.FindElement("ComputerInfo"));
  EXPECT_EQ(doc.CurrentPosition(), last);  // no match: the position stays

  doc.LeaveElement();
  EXPECT_EQ(doc.CurrentPosition(), 1);
  EXPECT_EQ(doc.ChildPosition(), last);
  doc.EnterElement();  // the remembered child becomes current again
  EXPECT_EQ(doc.CurrentPosition(), last);
}

TEST(XmlNavigation, EmptyNameVisitsEveryChildAndBracketsMatchThePrefix) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText("<r><a/><b/><c/></r>"));
  ASSERT_TRUE(doc.FindElement());
  doc.EnterElement();
  int children = 0;
  while (doc.FindElement("")) ++children;
  EXPECT_EQ(children, 3);
  ASSERT_TRUE(doc.SetDocumentText(doc.GetDocumentText()));
  ASSERT_TRUE(doc.FindElement("r"));
  doc.EnterElement();
  EXPECT_FALSE(doc.FindElement("ab"));
  EXPECT_TRUE(doc.FindElement("a[2]"));
  EXPECT_EQ(doc.CurrentPosition(), 2);
}

TEST(XmlNavigation, NoCurrentElement) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText("<a x='1'/>"));
  EXPECT_EQ(doc.GetAttribute("x"), "");
  EXPECT_FALSE(doc.SetAttribute("x", "2"));
  doc.EnterElement();
  doc.LeaveElement();
  EXPECT_EQ(doc.ParentPosition(), 0);
  EXPECT_EQ(doc.CurrentPosition(), 0);
  EXPECT_EQ(doc.GetDocumentText(), "<a x='1'/>");
}

TEST(XmlEditing, NewRegistryLayout) {
  XmlDocument doc;
  doc.SetDocumentText(kDeclaration);
  ASSERT_TRUE(doc.AddElement("CONFIG"));
  EXPECT_EQ(doc.GetDocumentText(), std::string(kDeclaration) + "<CONFIG/>\r\n");
  EXPECT_EQ(doc.Record(0).firstChild, doc.CurrentPosition());
  doc.EnterElement();
  ASSERT_TRUE(doc.AddElement("ComputerId1"));
  doc.LeaveElement();
  EXPECT_EQ(doc.GetDocumentText(),
            std::string(kDeclaration) + "<CONFIG>\r\n<ComputerId1/>\r\n</CONFIG>\r\n");
  EXPECT_EQ(doc.GetDocumentText().size(), 58u);
  ExpectSameIndexAsFreshParse(doc);

  // Entries go before the end tag of CONFIG, one per line.
  doc.EnterElement();
  EXPECT_EQ(doc.ParentPosition(), 1);
  ASSERT_TRUE(doc.AddElement("ComputerInfo"));
  ASSERT_TRUE(doc.SetAttribute("USERNAME", "PC-1"));
  ASSERT_TRUE(doc.AddElement("ComputerInfo"));
  EXPECT_EQ(doc.GetDocumentText(), std::string(kDeclaration) +
                                       "<CONFIG>\r\n<ComputerId1/>\r\n"
                                       "<ComputerInfo USERNAME=\"PC-1\"/>\r\n<ComputerInfo/>\r\n"
                                       "</CONFIG>\r\n");
  ExpectSameIndexAsFreshParse(doc);
  doc.LeaveElement();
  EXPECT_EQ(doc.CurrentPosition(), 1);
  EXPECT_NE(doc.ChildPosition(), 0);
}

struct AddCase {
  const char* text;
  const char* path;  // elements to enter, by name, separated by '/'; empty: the document level
  const char* after;
};

// Where AddElement puts the new element, in every kind of parent.
const AddCase kAddCases[] = {
    {"<a></a>", "a", "<a>\r\n<n/>\r\n</a>"},  // contentless parent
    {"<a/>", "a", "<a>\r\n<n/>\r\n</a>"},     // self-closed parent
    {"<a x='1' />", "a", "<a x='1' >\r\n<n/>\r\n</a>"},
    {"<a>text</a>", "a", "<a>text<n/>\r\n</a>"},                  // before the end tag
    {"<a>\r\n<b/>\r\n</a>", "a", "<a>\r\n<b/>\r\n<n/>\r\n</a>"},  // after the last child
    {"<a/>\r\n", "", "<a/>\r\n<n/>\r\n"},                         // document level: at the end
    {"<a><b><c/></b></a>", "a/b", "<a><b><c/><n/>\r\n</b></a>"},
    {"<a><b/></a>", "a/b", "<a><b>\r\n<n/>\r\n</b></a>"},
    {"<a><b></a>", "a/b", "<a><b>\r\n<n/>\r\n</b></a>"},  // unended parent gets closed
    {"<a=1/>", "a", "<a=1>\r\n<n/>\r\n</a>"},             // the element name closes a=1
    {"<a><b=2></a>", "a/b", "<a><b=2>\r\n<n/>\r\n</b></a>"},
    {"<a?b/>", "a", "<a?b>\r\n<n/>\r\n</a?b>"},  // </a> would not close a?b
    {"\x81", "", "\x81 <n/>\r\n"},  // a dangling lead byte must not swallow the new '<'
};

TEST(XmlEditing, AddElementPlacesOneElementPerLine) {
  for (const AddCase& c : kAddCases) {
    XmlDocument doc;
    doc.SetDocumentText(c.text);
    std::string path = c.path;
    while (!path.empty()) {
      const std::size_t slash = path.find('/');
      ASSERT_TRUE(doc.FindElement(path.substr(0, slash).c_str())) << c.text;
      doc.EnterElement();
      path = slash == std::string::npos ? "" : path.substr(slash + 1);
    }
    ASSERT_TRUE(doc.AddElement("n")) << c.text;
    EXPECT_EQ(doc.GetDocumentText(), c.after) << c.text;
    EXPECT_EQ(doc.GetDocumentText().compare(doc.Record(doc.CurrentPosition()).start, 4, "<n/>"), 0)
        << c.text;
    ExpectSameIndexAsFreshParse(doc);
  }
}

TEST(XmlEditing, AddElementAfterCurrentAndLeave) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText("<r>\r\n<a/>\r\n<c/>\r\n</r>"));
  ASSERT_TRUE(doc.FindElement("r"));
  doc.EnterElement();
  ASSERT_TRUE(doc.FindElement("a"));
  ASSERT_TRUE(doc.AddElement("b"));
  EXPECT_EQ(doc.GetDocumentText(), "<r>\r\n<a/>\r\n<b/>\r\n<c/>\r\n</r>");
  const ElementRef b = doc.CurrentPosition();
  ExpectSameIndexAsFreshParse(doc);
  doc.LeaveElement();
  EXPECT_EQ(doc.CurrentPosition(), 1);
  EXPECT_EQ(doc.ChildPosition(), b);
  EXPECT_EQ(doc.ParentPosition(), 0);
}

TEST(XmlEditing, AddElementRefusesNamesThatWouldNotReadBack) {
  for (const char* name : {"", "1a", "a>", "a/b", "\x81"}) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetDocumentText("<a/>"));
    EXPECT_FALSE(doc.AddElement(name)) << name;
    EXPECT_EQ(doc.GetDocumentText(), "<a/>");
    EXPECT_EQ(doc.UsedCount(), 2);
  }
  XmlDocument doc;
  EXPECT_FALSE(doc.AddElement(nullptr));
  EXPECT_TRUE(doc.AddElement("a&b"));  // written unchanged and unescaped
  EXPECT_EQ(doc.GetDocumentText(), "<a&b/>\r\n");
}

TEST(XmlEditing, SetAttributeAddsAndReplaces) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText("<CONFIG>\r\n<ComputerInfo/>\r\n<Next/>\r\n</CONFIG>"));
  ASSERT_TRUE(doc.FindElement("CONFIG"));
  doc.EnterElement();
  ASSERT_TRUE(doc.FindElement("ComputerInfo"));
  ASSERT_TRUE(doc.SetAttribute("USERNAME", "PC"));
  ASSERT_TRUE(doc.SetAttribute("STATUS", "\n\n标记为已知"));
  ASSERT_TRUE(doc.SetAttribute("USERNAME", "a\"b<c"));
  EXPECT_EQ(doc.GetDocumentText(),
            "<CONFIG>\r\n<ComputerInfo USERNAME=\"a&quot;b&lt;c\" STATUS=\"\n\n标记为已知\"/>\r\n"
            "<Next/>\r\n</CONFIG>");
  EXPECT_EQ(doc.GetAttribute("USERNAME"), "a\"b<c");
  EXPECT_EQ(doc.GetAttribute("STATUS"), "\n\n标记为已知");
  EXPECT_EQ(doc.GetAttribute("MAC"), "");
  ExpectSameIndexAsFreshParse(doc);
}

TEST(XmlEditing, SetAttributeShiftsLaterElementsAndAncestors) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText("<r><p><e><k/></e><f/></p><g/></r>"));
  const ElementRecord before[] = {doc.Record(0), doc.Record(1), doc.Record(2), doc.Record(3),
                                  doc.Record(4), doc.Record(5), doc.Record(6)};
  ASSERT_TRUE(doc.FindElement("r"));
  doc.EnterElement();
  ASSERT_TRUE(doc.FindElement("p"));
  doc.EnterElement();
  ASSERT_TRUE(doc.FindElement("e"));
  ASSERT_TRUE(doc.SetAttribute("x", "12"));  // " x=\"12\"": 7 bytes
  const int k = 7;
  EXPECT_EQ(doc.Record(0).length, before[0].length + k);
  EXPECT_EQ(doc.Record(1).length, before[1].length + k);  // r
  EXPECT_EQ(doc.Record(2).length, before[2].length + k);  // p
  EXPECT_EQ(doc.Record(3).length, before[3].length + k);  // e itself
  EXPECT_EQ(doc.Record(3).start, before[3].start);
  EXPECT_EQ(doc.Record(4).start, before[4].start + k);  // k, inside e
  EXPECT_EQ(doc.Record(5).start, before[5].start + k);  // f
  EXPECT_EQ(doc.Record(6).start, before[6].start + k);  // g
  EXPECT_EQ(doc.Record(2).start, before[2].start);
  ExpectSameIndexAsFreshParse(doc);
}

struct AttributeCase {
  const char* text;
  const char* name;
  const char* after;  // nullptr: refused, and the attribute reads as absent
};

// How SetAttribute rewrites every form of start tag.
const AttributeCase kAttributeCases[] = {
    {"<x/>", "a", "<x a=\"v\"/>"},
    {"<x />", "a", "<x a=\"v\" />"},
    {"<x b='1'/>", "a", "<x b='1' a=\"v\"/>"},
    {"<x a='1'/>", "a", "<x a=\"v\"/>"},
    {"<x a=1></x>", "a", "<x a=\"v\"></x>"},
    {"<x a = \"1\" b='2'></x>", "b", "<x a = \"1\" b=\"v\"></x>"},
    {"<x a></x>", "a", "<x a=\"v\"></x>"},  // a bare name becomes name="value"
    {"<x a b='2'/>", "a", "<x a=\"v\" b='2'/>"},
    {"<x ab='1'/>", "a", "<x ab='1' a=\"v\"/>"},  // ab is not a
    {"<x\r\n\ta='\xD6\xF7'/>", "a", "<x\r\n\ta=\"v\"/>"},
    {"<x a=p\"q c=\"><y z=\"1\"/></x>", "c", nullptr},  // c's value runs past the tag
};

TEST(XmlEditing, SetAttributeForms) {
  for (const AttributeCase& c : kAttributeCases) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetDocumentText(c.text)) << c.text;
    ASSERT_TRUE(doc.FindElement("x"));
    EXPECT_EQ(doc.SetAttribute(c.name, "v"), c.after != nullptr) << c.text;
    if (c.after == nullptr) {
      EXPECT_EQ(doc.GetDocumentText(), c.text);
      EXPECT_EQ(doc.GetAttribute(c.name), "") << c.text;
      continue;
    }
    EXPECT_EQ(doc.GetDocumentText(), c.after);
    EXPECT_EQ(doc.GetAttribute(c.name), "v");
    ExpectSameIndexAsFreshParse(doc);
  }
}

TEST(XmlEditing, BareAttributeReadsAsItsName) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText("<x checked />"));
  ASSERT_TRUE(doc.FindElement("x"));
  EXPECT_EQ(doc.GetAttribute("checked"), "checked");
}

TEST(XmlEditing, ValueEndingInALeadByteKeepsTheTagIntact) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText("<r><x/><y/></r>"));
  ASSERT_TRUE(doc.FindElement("r"));
  doc.EnterElement();
  ASSERT_TRUE(doc.FindElement("x"));
  ASSERT_TRUE(doc.SetAttribute("a", "\xD6\xF7\x81"));
  EXPECT_EQ(doc.GetDocumentText(), "<r><x a=\"\xD6\xF7&#129;\"/><y/></r>");
  EXPECT_EQ(doc.GetAttribute("a"), "\xD6\xF7\x81");
  ExpectSameIndexAsFreshParse(doc);
}

TEST(XmlEditing, SetAttributeRefusesAnEditThatWouldMoveTheTagEnd) {
  // The tag's quotes pair across the unquoted values; replacing b's value would unpair them.
  const char text[] = "<x b=x\" c=y\"></x>";
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText(text));
  ASSERT_TRUE(doc.FindElement("x"));
  EXPECT_FALSE(doc.SetAttribute("b", "v"));
  EXPECT_EQ(doc.GetDocumentText(), text);
  EXPECT_FALSE(doc.SetAttribute("", "v"));

  // After a dangling '=' a new name would read as the value of the attribute before it.
  ASSERT_TRUE(doc.SetDocumentText("<x a=></x>"));
  ASSERT_TRUE(doc.FindElement("x"));
  EXPECT_FALSE(doc.SetAttribute("b", "v"));
  EXPECT_EQ(doc.GetDocumentText(), "<x a=></x>");
  EXPECT_TRUE(doc.SetAttribute("a", "v"));
  EXPECT_EQ(doc.GetAttribute("a"), "v");
  EXPECT_FALSE(doc.SetAttribute(nullptr, "v"));
  ExpectSameIndexAsFreshParse(doc);

  // A new attribute would go inside the name a"? (the attribute scan ends names at '?'), renaming
  // the element so that its end tag no longer closes it.
  ASSERT_TRUE(doc.SetDocumentText("<a\"?></a\"?>"));
  ASSERT_TRUE(doc.FindElement("a\""));
  EXPECT_FALSE(doc.SetAttribute("b", "v"));
  EXPECT_EQ(doc.GetDocumentText(), "<a\"?></a\"?>");
}

TEST(XmlEditing, ManyEditsKeepTheIndexExact) {
  XmlDocument doc;
  doc.SetDocumentText(kDeclaration);
  ASSERT_TRUE(doc.AddElement("CONFIG"));
  doc.EnterElement();
  for (int i = 0; i < 300; ++i) {
    ASSERT_TRUE(doc.AddElement("ComputerInfo"));
    ASSERT_TRUE(doc.SetAttribute("USERNAME", "PC-" + std::to_string(i)));
    ASSERT_TRUE(doc.SetAttribute("MAC", "00-1A-2B-3C-4D-" + std::to_string(i % 100) + "\n\n"));
    if (i % 7 == 0) {
      doc.EnterElement();
      ASSERT_TRUE(doc.AddElement("Note"));
      doc.LeaveElement();
    }
  }
  ExpectSameIndexAsFreshParse(doc);
  EXPECT_TRUE(XmlDocument().SetDocumentText(doc.GetDocumentText()));
}

}  // namespace
