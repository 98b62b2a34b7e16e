#include "registry/save_recovery.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "registry/registry_entries.h"
#include "text/cp936.h"

namespace {

// A save's two renames take milliseconds; a backup still there after this is a crash's.
constexpr uint32_t kLiveSaveMilliseconds = 100;

struct Leftover {
  uint32_t processId = 0;
  bool backup = false;  // "<file>.<pid>.tmp.bak", else "<file>.<pid>.tmp"
};

// Reads "<file>.<pid>.tmp" or "<file>.<pid>.tmp.bak" (the names every release so far leaves).
std::optional<Leftover> ParseLeftoverName(std::string_view name, std::string_view file) {
  if (name.size() <= file.size() || name.substr(0, file.size()) != file) return std::nullopt;
  name.remove_prefix(file.size());
  if (name.empty() || name.front() != '.') return std::nullopt;
  name.remove_prefix(1);
  uint64_t id = 0;
  std::size_t digits = 0;
  for (; digits < name.size() && name[digits] >= '0' && name[digits] <= '9'; ++digits) {
    id = id * 10 + static_cast<uint64_t>(name[digits] - '0');
    if (id > UINT32_MAX) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  name.remove_prefix(digits);
  if (name == ".tmp") return Leftover{static_cast<uint32_t>(id), false};
  if (name == ".tmp.bak") return Leftover{static_cast<uint32_t>(id), true};
  return std::nullopt;
}

struct Found {
  std::string path;
  uint64_t lastWrite;
  Leftover leftover;
};

std::vector<Found> FindLeftovers(platform::RegistryOsPort& port, const std::string& directory,
                                 const std::string& file) {
  std::vector<Found> found;
  for (const platform::DirectoryEntry& entry : port.ListFiles(directory)) {
    if (const std::optional<Leftover> leftover = ParseLeftoverName(entry.name, file)) {
      found.push_back({directory + entry.name, entry.lastWrite, *leftover});
    }
  }
  return found;
}

// Adds to the registry file every entry of the backup whose MAC the file lacks. True once the
// file holds them all, so the backup may go; false while either cannot be read or the save fails.
bool AbsorbBackup(const std::string& backup, const std::string& path) {
  using registry_entries::StoredEntry;
  const std::optional<std::vector<StoredEntry>> held = registry_entries::LoadEntries(backup);
  const std::optional<std::vector<StoredEntry>> present = registry_entries::LoadEntries(path);
  if (!held || !present) return false;
  std::vector<StoredEntry> lacking;
  for (const StoredEntry& entry : *held) {
    const std::string_view mac = text::Trim(entry.mac);
    if (std::none_of(present->begin(), present->end(),
                     [mac](const StoredEntry& p) { return text::Trim(p.mac) == mac; })) {
      lacking.push_back(entry);
    }
  }
  if (lacking.empty()) return true;
  XmlDocument doc;
  if (!doc.LoadFile(path)) return false;
  registry_entries::EnterOrAddRoot(doc);
  for (const StoredEntry& entry : lacking) registry_entries::AddEntry(doc, entry);
  return doc.SaveFile(path);
}

}  // namespace

RegistrySource RecoverInterruptedSave(platform::RegistryOsPort& port, const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  const std::string directory = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  const std::string file = path.substr(directory.size());
  const uint32_t self = port.CurrentProcessId();

  std::vector<Found> leftovers = FindLeftovers(port, directory, file);
  if (leftovers.empty()) return {path, false};
  bool missing = port.ProbeFile(path) == platform::FileProbeResult::kMissing;
  const auto otherProcessRuns = [&port, self](const Found& found) {
    return found.leftover.backup && found.leftover.processId != self &&
           port.ProcessRunning(found.leftover.processId);
  };
  if (missing && std::any_of(leftovers.begin(), leftovers.end(), otherProcessRuns)) {
    // That process may be between the renames of its save (Windows reuses process ids, so it may
    // as well be an unrelated one): once it had time to finish, what is left is a crash's.
    port.WaitMilliseconds(kLiveSaveMilliseconds);
    leftovers = FindLeftovers(port, directory, file);
    missing = port.ProbeFile(path) == platform::FileProbeResult::kMissing;
  }

  RegistrySource source{path, false};
  const Found* newest = nullptr;
  for (const Found& found : leftovers) {
    if (missing && found.leftover.backup && (!newest || found.lastWrite > newest->lastWrite)) {
      newest = &found;
    }
  }
  // A temporary file may be incomplete; the backup is the whole text of the last good save.
  if (newest && !port.MoveFileNoReplace(newest->path, path)) source = {newest->path, true};
  for (const Found& found : leftovers) {
    if (&found == newest) continue;  // moved into place, or standing in for the file
    // While a backup stands in, the file is missing and the other backups wait for it. A
    // temporary file of a running process is that process's save in progress.
    const bool done = found.leftover.backup
                          ? !source.backupStandsIn && AbsorbBackup(found.path, path)
                          : !port.ProcessRunning(found.leftover.processId);
    if (done) port.RemoveFile(found.path);
  }
  return source;
}
