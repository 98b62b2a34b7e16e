#include "registry/registry_file.h"

#include <cstdio>

#include "platform/registry_os_port.h"
#include "registry/save_recovery.h"
#include "text/cp936.h"
#include "xml/xml_document.h"

namespace {

constexpr const char kRootName[] = "CONFIG";
constexpr const char kEntryName[] = "ComputerInfo";
constexpr const char kDeclaration[] = "<?xml version=\"1.0\"?>";

// Positions doc inside CONFIG, before its first child. False when the document has no CONFIG.
bool EnterRoot(XmlDocument& doc) {
  if (!doc.FindElement(kRootName)) return false;
  doc.EnterElement();
  return true;
}

// Moves to the next entry whose trimmed MAC is not empty and occurs within macText; gives that
// trimmed MAC. The stored MAC carries the row's line feeds, the caller's text may too, so this is
// a containment test and not an equality test.
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

std::optional<std::string> AccessEntry(const std::string& path, const std::string& macText,
                                       bool write, const char* attributeName,
                                       const std::string& value) {
  XmlDocument doc;
  if (!doc.LoadFile(path) || !EnterRoot(doc)) return std::nullopt;
  std::optional<std::string> mac = FindNextMatchingEntry(doc, macText);
  if (!mac) return std::nullopt;
  if (write) {
    doc.SetAttribute(attributeName, value);
    // A failed save loses this one change; the file keeps its previous content (atomic save).
    doc.SaveFile(path);
    return mac;
  }
  const std::string stored = doc.GetAttribute(attributeName);
  if (stored.empty()) return mac;
  return std::string(text::Trim(stored));  // blanks alone give an empty text
}

bool AppendEntry(const DeviceRecord& record, const std::string& path) {
  XmlDocument doc;
  if (!doc.LoadFile(path)) return false;
  // A file without CONFIG keeps whatever text it decodes to and gains a CONFIG after it.
  if (!doc.FindElement(kRootName)) doc.AddElement(kRootName);
  doc.EnterElement();
  doc.AddElement(kEntryName);
  doc.SetAttribute("USERNAME", record.hostName);
  doc.SetAttribute("STATUS", record.statusLabel);
  doc.SetAttribute("MAC", record.macText);
  return doc.SaveFile(path);
}

bool CreateNewRegistry(int& counter, const std::string& path) {
  XmlDocument doc;
  doc.SetDocumentText(kDeclaration);
  doc.AddElement(kRootName);
  doc.EnterElement();
  char name[32];
  std::snprintf(name, sizeof name, "ComputerId%d", counter);
  while (doc.FindElement(name)) {
    ++counter;
    std::snprintf(name, sizeof name, "ComputerId%d", counter);
  }
  doc.AddElement(name);
  doc.LeaveElement();
  return doc.SaveFile(path);
}

int AddEntry(const DeviceRecord& record, const std::string& path) {
  platform::RegistryOsPort& port = platform::CurrentRegistryOsPort();
  // Create only a file that is known to be missing. One that exists but cannot be opened here
  // (the probe shares nothing, so any other open handle makes it fail) is left to the load: if
  // that cannot read it either, this change is not stored and the file keeps its entries.
  if (port.ProbeFile(path) == platform::FileProbeResult::kMissing) {
    int counter = 1;
    CreateNewRegistry(counter, path);
  }
  {
    XmlDocument doc;
    bool loaded = doc.LoadFile(path);
    if (!loaded && port.ProbeFile(path) == platform::FileProbeResult::kMissing) {
      int counter = 1;
      CreateNewRegistry(counter, path);
      XmlDocument retry;
      loaded = retry.LoadFile(path);
    }
    if (!loaded) return 0;
  }
  AppendEntry(record, path);
  return 1;
}

// Every operation first clears up after a save that a crash interrupted, so a registry left under
// a backup name is found again instead of being replaced by a new, empty one.
void Recover(const std::string& path) {
  RecoverInterruptedSave(platform::CurrentRegistryOsPort(), path);
}

}  // namespace

std::optional<std::string> AccessDeviceAttribute(const std::string& path,
                                                 const std::string& macText, bool write,
                                                 const char* attributeName,
                                                 const std::string& value) {
  Recover(path);
  return AccessEntry(path, macText, write, attributeName, value);
}

int AddDevice(const DeviceRecord& record, const std::string& path) {
  Recover(path);
  return AddEntry(record, path);
}

bool AppendDeviceElement(const DeviceRecord& record, const std::string& path) {
  Recover(path);
  return AppendEntry(record, path);
}

bool CreateRegistryFile(int& counter, const std::string& path) {
  Recover(path);
  return CreateNewRegistry(counter, path);
}
