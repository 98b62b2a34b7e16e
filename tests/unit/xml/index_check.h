#pragma once
// Compares an edited document's index with the index of a fresh parse of its text, element by
// element in document order: the edits must keep every offset exact.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "xml/xml_document.h"

inline std::vector<ElementRef> DocumentOrder(const XmlDocument& doc) {
  std::vector<ElementRef> order;
  ElementRef cur = doc.Record(0).firstChild;
  while (cur != 0 && order.size() < static_cast<std::size_t>(doc.UsedCount())) {
    order.push_back(cur);
    if (doc.Record(cur).firstChild != 0) {
      cur = doc.Record(cur).firstChild;
      continue;
    }
    while (cur != 0 && doc.Record(cur).nextSibling == 0) cur = doc.Record(cur).parent;
    if (cur != 0) cur = doc.Record(cur).nextSibling;
  }
  return order;
}

inline void ExpectSameIndexAsFreshParse(const XmlDocument& edited) {
  XmlDocument fresh;
  fresh.SetDocumentText(edited.GetDocumentText());
  const std::vector<ElementRef> a = DocumentOrder(edited), b = DocumentOrder(fresh);
  ASSERT_EQ(a.size(), b.size()) << edited.GetDocumentText();
  ASSERT_EQ(a.size() + 1, static_cast<std::size_t>(edited.UsedCount()));
  std::map<ElementRef, ElementRef> map{{0, 0}};
  for (std::size_t i = 0; i < a.size(); ++i) map[a[i]] = b[i];
  EXPECT_EQ(edited.Record(0).length, fresh.Record(0).length);
  for (std::size_t i = 0; i < a.size(); ++i) {
    const ElementRecord& x = edited.Record(a[i]);
    const ElementRecord& y = fresh.Record(b[i]);
    SCOPED_TRACE(edited.GetDocumentText().substr(y.start, y.length));
    EXPECT_EQ(x.start, y.start);
    EXPECT_EQ(x.length, y.length);
    EXPECT_EQ(x.StartTagLength(), y.StartTagLength());
    EXPECT_EQ(x.EndTagLength(), y.EndTagLength());
    EXPECT_EQ(map[x.parent], y.parent);
    EXPECT_EQ(map[x.firstChild], y.firstChild);
    EXPECT_EQ(map[x.nextSibling], y.nextSibling);
    EXPECT_EQ(map[x.prevSibling], y.prevSibling);
  }
}
