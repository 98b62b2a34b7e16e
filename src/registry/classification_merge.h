#pragma once
// Lays the user's stored decisions over a finished sweep: each device with an entry in
// ComputerInfo.xml takes the stored name and, when marked known, the known label. Reads only.
#include <functional>
#include <optional>
#include <string>

#include "net/device_record.h"

// Merges the registry file of the profile directory into g_deviceTable. Row 0 (the local
// computer's row) is never touched. Runs on the list builder's thread after the sweep.
void MergeRegistry();

// One read of an entry's attribute by MAC, as AccessDeviceAttribute in read mode gives it.
using AttributeLookup = std::function<std::optional<std::string>(const std::string& macText,
                                                                 const char* attributeName)>;

// The merge itself over any table: at most two lookups per row from row 1 on. The rows that took a
// stored name are marked as such beside the rows (NoteStoredName), so no source is named for them.
void MergeRegistryInto(DeviceTable& table, const AttributeLookup& lookup);
