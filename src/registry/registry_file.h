#pragma once
// ComputerInfo.xml: the MAC-keyed record of the user's decisions about devices. Every operation
// loads the whole file, works on it and (when it writes) saves it within one call; nothing is
// kept between calls and nothing is shown to the user.
#include <optional>
#include <string>

#include "net/device_record.h"

// Finds the first ComputerInfo entry whose trimmed, non-empty MAC occurs within macText.
// Read mode: that entry's attribute, trimmed, or the entry's trimmed MAC when the attribute is
// empty or absent. Write mode: sets the attribute to value, saves, and gives the trimmed MAC.
// Nothing when the file cannot be read or no entry matches.
std::optional<std::string> AccessDeviceAttribute(const std::string& path,
                                                 const std::string& macText, bool write,
                                                 const char* attributeName,
                                                 const std::string& value);

// Adds an entry for the record, creating the file first when it does not exist. 1 when the entry
// was handed on to AppendDeviceElement, 0 when the file could neither be loaded nor created, or
// exists but cannot be read (it is then left alone).
int AddDevice(const DeviceRecord& record, const std::string& path);

// Loads the file, appends a ComputerInfo entry (USERNAME, STATUS, MAC) under CONFIG and saves.
bool AppendDeviceElement(const DeviceRecord& record, const std::string& path);

// Writes the initial document: the declaration and CONFIG holding the placeholder
// ComputerId<counter>. Raises counter past any placeholder name already taken.
bool CreateRegistryFile(int& counter, const std::string& path);

// Reads for a series of lookups that nothing writes in between (one merge), each as
// AccessDeviceAttribute in read mode gives it. The clearing up after crashed saves, which lists
// the profile folder and may wait for another process's save, runs once, at construction.
class RegistryReader {
 public:
  explicit RegistryReader(const std::string& path);
  std::optional<std::string> Read(const std::string& macText, const char* attributeName) const;

 private:
  std::string m_strPath;
  std::string m_strReadPath;  // the file, or the backup that stands in for it
};
