#include "xml/xml_open_index.h"

#include <utility>

#include "xml/xml_chars.h"

namespace xml_detail {

namespace {

constexpr uint64_t kHashFactor = 1099511628211ull;

std::size_t SlotOf(uint64_t hash, int32_t length, std::size_t mask) {
  const uint64_t mixed = (hash + static_cast<uint64_t>(length)) * 0x9E3779B97F4A7C15ull;
  return static_cast<std::size_t>(mixed >> 32) & mask;
}

}  // namespace

// FNV-1a: the hash of a prefix is the state after its bytes, so one pass over a name gives the
// hashes of all its prefixes.
uint64_t OpenNameIndex::Hash(uint64_t h, const char* bytes, int32_t length) {
  for (int32_t k = 0; k < length; ++k) h = (h ^ static_cast<unsigned char>(bytes[k])) * kHashFactor;
  return h;
}

void OpenNameIndex::Push(int32_t level, const char* name, int32_t length) {
  uint64_t h = kHashStart;
  for (int32_t k = 0;; ++k) {
    if (k == length || Is(name[k], kNameFollow)) {
      const int32_t key = AddKey(h, name, k);
      m_entries.push_back({level, key, m_tops[key]});
      m_tops[key] = static_cast<int32_t>(m_entries.size()) - 1;
    }
    if (k == length) return;
    h = Hash(h, name + k, 1);
  }
}

void OpenNameIndex::Pop() {
  const int32_t level = m_entries.back().level;
  while (!m_entries.empty() && m_entries.back().level == level) {
    m_tops[m_entries.back().key] = m_entries.back().below;
    m_entries.pop_back();
  }
}

int32_t OpenNameIndex::FindKey(uint64_t hash, const char* name, int32_t length) const {
  if (m_slots.empty()) return -1;
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t i = SlotOf(hash, length, mask);; i = (i + 1) & mask) {
    const Slot& slot = m_slots[i];
    if (slot.key < 0) return -1;
    if (slot.Holds(hash, name, length)) return slot.key;
  }
}

int32_t OpenNameIndex::AddKey(uint64_t hash, const char* name, int32_t length) {
  if (2 * (m_tops.size() + 1) > m_slots.size()) {
    // Keys are never removed (a key without levels keeps its slot), so the table only grows.
    const std::vector<Slot> old(std::move(m_slots));
    m_slots.assign(old.empty() ? 32 : 2 * old.size(), Slot{0, nullptr, 0, -1});
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
      if (slot.key < 0) continue;
      std::size_t i = SlotOf(slot.hash, slot.length, mask);
      while (m_slots[i].key >= 0) i = (i + 1) & mask;
      m_slots[i] = slot;
    }
  }
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = SlotOf(hash, length, mask);
  for (; m_slots[i].key >= 0; i = (i + 1) & mask) {
    if (m_slots[i].Holds(hash, name, length)) return m_slots[i].key;
  }
  m_slots[i] = Slot{hash, name, length, static_cast<int32_t>(m_tops.size())};
  m_tops.push_back(-1);
  return m_slots[i].key;
}

}  // namespace xml_detail
