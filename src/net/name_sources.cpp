#include "net/name_sources.h"

#include <map>
#include <mutex>

#include "net/list_builder.h"
#include "text/cp936.h"

namespace {

struct Noted {
  std::string name;
  NameSource source;
};

std::mutex g_mutex;
std::map<std::string, Noted>& Table() {
  static auto* table = new std::map<std::string, Noted>;  // probes of a late scan may still note
  return *table;
}

}  // namespace

void NoteNameSource(const std::string& macText, const std::string& name, NameSource source) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Table()[macText] = {name, source};
}

NameSource NameSourceOf(const std::string& macText, const std::string& name) {
  const std::string mac(text::Trim(macText));
  std::lock_guard<std::mutex> lock(g_mutex);
  const auto it = Table().find(mac);
  if (it == Table().end() || name.empty()) return NameSource::kNone;
  const Noted& noted = it->second;
  return name == noted.name || name == ShortenHostName(noted.name) ? noted.source
                                                                   : NameSource::kNone;
}

void ClearNameSources() {
  std::lock_guard<std::mutex> lock(g_mutex);
  Table().clear();
}
