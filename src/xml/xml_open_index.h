#pragma once
// The open elements of one parse, filed under the end-tag names that close them, so that an end
// tag the innermost element does not take finds the element it closes without trying every level.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace xml_detail {

class OpenNameIndex {
 public:
  // Room for the entries of at least this many levels, so that filing many at once copies nothing.
  void Reserve(std::size_t levels) { m_entries.reserve(levels); }
  // Files a new innermost level under every end-tag name that closes it: its whole tag name, and
  // each prefix after which the name goes on with a kNameFollow byte.
  void Push(int32_t level, const char* name, int32_t length);
  // Removes the innermost level's entries.
  void Pop();

  // The innermost level filed under the name for which closes(level) holds, or -1. Keys compare
  // the name's bytes, so names that share a hash never share a chain.
  template <typename Closes>
  int32_t Find(const char* name, int32_t length, Closes closes) const {
    const int32_t key = FindKey(Hash(kHashStart, name, length), name, length);
    for (int32_t e = key < 0 ? -1 : m_tops[key]; e >= 0; e = m_entries[e].below) {
      if (closes(m_entries[e].level)) return m_entries[e].level;
    }
    return -1;
  }

 private:
  static constexpr uint64_t kHashStart = 14695981039346656037ull;
  static uint64_t Hash(uint64_t h, const char* bytes, int32_t length);
  int32_t FindKey(uint64_t hash, const char* name, int32_t length) const;  // -1: never filed
  int32_t AddKey(uint64_t hash, const char* name, int32_t length);         // finds or adds

  struct Slot {
    uint64_t hash;
    const char* name;  // in the parsed text, which outlives the index
    int32_t length;
    int32_t key;  // -1: empty
    bool Holds(uint64_t h, const char* n, int32_t l) const {
      return hash == h && length == l && std::memcmp(name, n, static_cast<std::size_t>(l)) == 0;
    }
  };
  struct Entry {
    int32_t level, key;
    int32_t below;  // the entry this one hides under the same key, -1 none
  };
  std::vector<Slot> m_slots;     // open addressing, a power of two, at most half full
  std::vector<int32_t> m_tops;   // per key: its innermost entry, -1 none
  std::vector<Entry> m_entries;  // in level order, each level's together
};

}  // namespace xml_detail
