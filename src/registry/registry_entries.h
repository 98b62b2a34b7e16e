#pragma once
// The entries of ComputerInfo.xml, as the registry's operations and its clearing up after crashed
// saves both read and write them.
#include <optional>
#include <string>
#include <vector>

#include "xml/xml_document.h"

namespace registry_entries {

// An entry's attribute values as stored, line feeds and blanks included.
struct StoredEntry {
  std::string userName, status, mac;
};

// Positions doc inside CONFIG, before its first child. False when the document has no CONFIG.
bool EnterRoot(XmlDocument& doc);

// The same, but a document without CONFIG keeps whatever text it holds and gains one after it.
void EnterOrAddRoot(XmlDocument& doc);

// Inside CONFIG: adds the entry after the current position, or last when there is none.
void AddEntry(XmlDocument& doc, const StoredEntry& entry);

// Moves to the next entry whose trimmed MAC is not empty and occurs within macText; gives that
// trimmed MAC.
std::optional<std::string> FindNextMatchingEntry(XmlDocument& doc, const std::string& macText);

// The file's entries with a usable MAC, in document order; nothing when it cannot be opened.
std::optional<std::vector<StoredEntry>> LoadEntries(const std::string& path);

}  // namespace registry_entries
