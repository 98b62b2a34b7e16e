#include "registry/registry_entries.h"

#include "text/cp936.h"

namespace registry_entries {
namespace {

constexpr const char kRootName[] = "CONFIG";
constexpr const char kEntryName[] = "ComputerInfo";

}  // namespace

bool EnterRoot(XmlDocument& doc) {
  if (!doc.FindElement(kRootName)) return false;
  doc.EnterElement();
  return true;
}

void EnterOrAddRoot(XmlDocument& doc) {
  if (!doc.FindElement(kRootName)) doc.AddElement(kRootName);
  doc.EnterElement();
}

void AddEntry(XmlDocument& doc, const StoredEntry& entry) {
  doc.AddElement(kEntryName);
  doc.SetAttribute("USERNAME", entry.userName);
  doc.SetAttribute("STATUS", entry.status);
  doc.SetAttribute("MAC", entry.mac);
}

// The stored MAC carries the row's line feeds, the caller's text may too, so this is a
// containment test and not an equality test.
std::optional<std::string> FindNextMatchingEntry(XmlDocument& doc, const std::string& macText) {
  while (doc.FindElement(kEntryName)) {
    const std::string stored = doc.GetAttribute("MAC");
    const std::string_view mac = text::Trim(stored);
    // A MAC of blanks alone trims to nothing, which every text would "contain": not usable.
    if (mac.empty()) continue;
    if (text::Contains(macText, mac)) return std::string(mac);
  }
  return std::nullopt;
}

std::optional<std::vector<StoredEntry>> LoadEntries(const std::string& path) {
  XmlDocument doc;
  if (!doc.LoadFile(path)) return std::nullopt;
  std::vector<StoredEntry> entries;
  if (!EnterRoot(doc)) return entries;
  while (doc.FindElement(kEntryName)) {
    StoredEntry entry{doc.GetAttribute("USERNAME"), doc.GetAttribute("STATUS"),
                      doc.GetAttribute("MAC")};
    if (!text::Trim(entry.mac).empty()) entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace registry_entries
