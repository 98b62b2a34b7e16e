#include "registry/classification_merge.h"

#include <vector>

#include "net/name_sources.h"
#include "net/row_texts.h"
#include "net/status_labels.h"
#include "registry/profile_location.h"
#include "registry/registry_file.h"

namespace {

// Whether the row's name is one the device gave about itself (mDNS or NetBIOS) in this scan.
bool IsAnnouncedName(const DeviceRecord& row) {
  const NameSource source = NameSourceOf(row.ipText, row.macText, row.hostName);
  return source == NameSource::kMdns || source == NameSource::kNetbios;
}

}  // namespace

void MergeRegistryInto(DeviceTable& table, const AttributeLookup& lookup) {
  // The merge works on a copy that takes the table's place only once every lookup has succeeded:
  // a lookup that throws (out of memory, say) leaves every row with its sweep texts.
  DeviceTable merged = table;
  std::vector<std::size_t> storedNames;  // rows that take the registry's name
  storedNames.reserve(merged.size());
  // Row 0 is the local computer's row (or, when the list builder did not find it, whatever device
  // stands first); it keeps its sweep texts either way.
  for (std::size_t i = 1; i < merged.size(); ++i) {
    DeviceRecord& row = merged[i];
    const std::optional<std::string> status = lookup(row.macText, "STATUS");
    if (!status) continue;  // no entry for this device
    // The stored STATUS of a device the user marked known, as the lookup trims it.
    if (*status == kStatusKnown.bare) row.statusLabel = kStatusKnown.record;
    // Nothing writes the file between the two reads, so the entry is still there; should it not
    // be, the resolved name stays.
    if (std::optional<std::string> name = lookup(row.macText, "USERNAME")) {
      // Marking stores the row's name, so a device marked while it had none holds the placeholder:
      // not a name the user chose, and so no reason to hide the name the device announces.
      if (*name == kUnknownHostName && IsAnnouncedName(row)) continue;
      row.hostName = std::move(*name);
      storedNames.push_back(i);
    }
  }
  table.swap(merged);
  // Only once the merge stands: a stored name equal to the one the device gave is still the
  // user's, not the device's word, and the tooltip must not name a source for it.
  for (std::size_t i : storedNames) NoteStoredName(table[i].ipText, table[i].macText);
}

void MergeRegistry() {
  // One clearing up after crashed saves for the whole merge, not one per lookup.
  const RegistryReader reader(GetProfileDirectory() + kRegistryFileName);
  MergeRegistryInto(g_deviceTable,
                    [&reader](const std::string& macText, const char* attributeName) {
                      return reader.Read(macText, attributeName);
                    });
}
