#include "registry/registry_file.h"

#include <cstdio>

#include "platform/registry_os_port.h"
#include "registry/registry_entries.h"
#include "registry/save_recovery.h"
#include "text/cp936.h"
#include "xml/xml_document.h"

namespace {

using registry_entries::EnterRoot;
using registry_entries::FindNextMatchingEntry;

constexpr const char kDeclaration[] = "<?xml version=\"1.0\"?>";

// Each step below reads the registry's text from source (the file, or the backup standing in for
// it) and saves to path.
std::optional<std::string> AccessEntry(const std::string& source, const std::string& path,
                                       const std::string& macText, bool write,
                                       const char* attributeName, const std::string& value) {
  XmlDocument doc;
  if (!doc.LoadFile(source) || !EnterRoot(doc)) return std::nullopt;
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

bool AppendEntry(const DeviceRecord& record, const std::string& source, const std::string& path) {
  XmlDocument doc;
  if (!doc.LoadFile(source)) return false;
  registry_entries::EnterOrAddRoot(doc);
  registry_entries::AddEntry(doc, {record.hostName, record.statusLabel, record.macText});
  return doc.SaveFile(path);
}

bool CreateNewRegistry(int& counter, const std::string& path) {
  XmlDocument doc;
  doc.SetDocumentText(kDeclaration);
  registry_entries::EnterOrAddRoot(doc);
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

int AddDeviceEntry(const DeviceRecord& record, const RegistrySource& source,
                   const std::string& path) {
  platform::RegistryOsPort& port = platform::CurrentRegistryOsPort();
  // While a backup stands in for the missing file, a new file would hide the user's entries: the
  // entry joins the backup's text instead, or, where that cannot be read, is not stored.
  const auto missing = [&port, &source, &path] {
    return !source.backupStandsIn && port.ProbeFile(path) == platform::FileProbeResult::kMissing;
  };
  // Create only a file that is known to be missing. One that exists but cannot be opened here
  // (the probe shares nothing, so any other open handle makes it fail) is left to the load: if
  // that cannot read it either, this change is not stored and the file keeps its entries.
  if (missing()) {
    int counter = 1;
    CreateNewRegistry(counter, path);
  }
  {
    XmlDocument doc;
    bool loaded = doc.LoadFile(source.readPath);
    if (!loaded && missing()) {
      int counter = 1;
      CreateNewRegistry(counter, path);
      XmlDocument retry;
      loaded = retry.LoadFile(path);
    }
    if (!loaded) return 0;
  }
  AppendEntry(record, source.readPath, path);
  return 1;
}

// Every operation first clears up after a save that a crash interrupted, so a registry left under
// a backup name is found again instead of being replaced by a new, empty one.
RegistrySource Recover(const std::string& path) {
  return RecoverInterruptedSave(platform::CurrentRegistryOsPort(), path);
}

}  // namespace

std::optional<std::string> AccessDeviceAttribute(const std::string& path,
                                                 const std::string& macText, bool write,
                                                 const char* attributeName,
                                                 const std::string& value) {
  return AccessEntry(Recover(path).readPath, path, macText, write, attributeName, value);
}

int AddDevice(const DeviceRecord& record, const std::string& path) {
  return AddDeviceEntry(record, Recover(path), path);
}

bool AppendDeviceElement(const DeviceRecord& record, const std::string& path) {
  return AppendEntry(record, Recover(path).readPath, path);
}

bool CreateRegistryFile(int& counter, const std::string& path) {
  // No new file takes the place of the entries that a backup holds.
  if (Recover(path).backupStandsIn) return false;
  return CreateNewRegistry(counter, path);
}

RegistryReader::RegistryReader(const std::string& path)
    : m_strPath(path), m_strReadPath(Recover(path).readPath) {}

std::optional<std::string> RegistryReader::Read(const std::string& macText,
                                                const char* attributeName) const {
  return AccessEntry(m_strReadPath, m_strPath, macText, false, attributeName, std::string());
}
