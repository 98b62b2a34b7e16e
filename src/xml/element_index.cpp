#include <algorithm>
#include <cstring>

#include "xml/xml_document.h"

namespace {

ElementRecord* NewSegment(int64_t records) {
  // Cleared, so a record beyond the used count never holds stale links.
  return new ElementRecord[static_cast<std::size_t>(records)]();
}

}  // namespace

ElementIndex::ElementIndex(const ElementIndex& other) { *this = other; }

ElementIndex& ElementIndex::operator=(const ElementIndex& other) {
  if (this == &other) return *this;
  Free();
  if (other.m_nCapacity == 0) return *this;
  m_nSlots = other.m_nSlots;
  m_ppSegments = new ElementRecord*[m_nSlots]();
  m_nCapacity = other.m_nCapacity;
  const int last = (m_nCapacity - 1) / kSegmentRecords;
  for (int k = 0; k <= last; ++k) {
    const int records = k < last ? kSegmentRecords : m_nCapacity - kSegmentRecords * last;
    m_ppSegments[k] = NewSegment(records);
    std::memcpy(m_ppSegments[k], other.m_ppSegments[k], sizeof(ElementRecord) * records);
  }
  return *this;
}

ElementIndex::~ElementIndex() { Free(); }

void ElementIndex::Free() {
  if (m_nCapacity > 0) {
    const int last = (m_nCapacity - 1) / kSegmentRecords;
    for (int k = 0; k <= last; ++k) delete[] m_ppSegments[k];
  }
  delete[] m_ppSegments;
  m_ppSegments = nullptr;
  m_nSlots = 0;
  m_nCapacity = 0;
}

void ElementIndex::Grow(int requested, int usedCount) {
  int64_t n = requested;
  if (n == 0) n = std::max<int64_t>(int64_t{usedCount} + usedCount / 2, int64_t{usedCount} + 1);
  if (m_nCapacity >= n) return;
  const int64_t last = m_nCapacity == 0 ? 0 : (m_nCapacity - 1) / kSegmentRecords;
  int64_t need = (n - 1) / kSegmentRecords;
  if (need > last + 1) {  // one call adds at most one segment
    need = last + 1;
    n = (last + 2) * kSegmentRecords;
  }
  if (m_nSlots <= need) {
    const int64_t slots = 2 * need + 4;
    ElementRecord** table = new ElementRecord*[slots]();
    if (m_ppSegments) std::copy(m_ppSegments, m_ppSegments + m_nSlots, table);
    delete[] m_ppSegments;
    m_ppSegments = table;
    m_nSlots = static_cast<int>(slots);
  }
  const int64_t inLast = m_nCapacity - kSegmentRecords * last;  // records in segment last
  if (need > last && inLast < kSegmentRecords) {
    ElementRecord* full = NewSegment(kSegmentRecords);
    if (m_nCapacity > 0) {
      std::memcpy(full, m_ppSegments[last], sizeof(ElementRecord) * inLast);
      delete[] m_ppSegments[last];
    }
    m_ppSegments[last] = full;
  }
  ElementRecord* segment = NewSegment(n - kSegmentRecords * need);
  if (need == last && m_nCapacity > 0) {
    std::memcpy(segment, m_ppSegments[need], sizeof(ElementRecord) * inLast);
    delete[] m_ppSegments[need];
  }
  m_ppSegments[need] = segment;
  m_nCapacity = static_cast<int>(n);
}
