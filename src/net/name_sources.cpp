#include "net/name_sources.h"

#include <map>
#include <mutex>
#include <utility>

#include "net/list_builder.h"
#include "text/cp936.h"

namespace {

struct Noted {
  std::string name;
  NameSource source;
  bool stored = false;  // the row shows the registry's name instead
};

using RowKey = std::pair<std::string, std::string>;  // address, bare MAC

RowKey KeyOf(const std::string& ipText, const std::string& macText) {
  return {std::string(text::Trim(ipText)), std::string(text::Trim(macText))};
}

std::mutex g_mutex;
std::map<RowKey, Noted>& Table() {
  static auto* table = new std::map<RowKey, Noted>;  // probes of a late scan may still note
  return *table;
}

}  // namespace

void NoteNameSource(const std::string& ipText, const std::string& macText, const std::string& name,
                    NameSource source) {
  RowKey key = KeyOf(ipText, macText);
  std::lock_guard<std::mutex> lock(g_mutex);
  Table()[std::move(key)] = {name, source};
}

void NoteStoredName(const std::string& ipText, const std::string& macText) {
  const RowKey key = KeyOf(ipText, macText);
  std::lock_guard<std::mutex> lock(g_mutex);
  // A row without a noted name has no source to hide.
  const auto it = Table().find(key);
  if (it != Table().end()) it->second.stored = true;
}

NameSource NameSourceOf(const std::string& ipText, const std::string& macText,
                        const std::string& name) {
  const RowKey key = KeyOf(ipText, macText);
  std::lock_guard<std::mutex> lock(g_mutex);
  const auto it = Table().find(key);
  if (it == Table().end() || name.empty() || it->second.stored) return NameSource::kNone;
  const Noted& noted = it->second;
  return name == noted.name || name == ShortenHostName(noted.name) ? noted.source
                                                                   : NameSource::kNone;
}

void ClearNameSources() {
  std::lock_guard<std::mutex> lock(g_mutex);
  Table().clear();
}
