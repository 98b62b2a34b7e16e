#include "net/neighbour_table_reader.h"

#include <algorithm>
#include <cstring>

namespace {
// Room for the rows that a sweep's own datagrams add between two reads (a MIB_IPNETROW is 24
// bytes), so a read seldom fails for a grown table and rarely needs the extra size query.
constexpr uint32_t kTableHeadroomBytes = 256 * 24;
// The reader sleeps this long at most while nobody waits (a new waiter wakes it at once).
constexpr unsigned kIdleMilliseconds = 1000;
// A waiter gives up this long after its bound even when the reader never answered it (a reader
// thread that ended early must not hold the sweep for ever).
constexpr unsigned kReaderGraceMilliseconds = 10000;
}  // namespace

bool IsResolvedHardwareAddress(const unsigned char (&mac)[6]) {
  const bool zero = std::all_of(mac, mac + 6, [](unsigned char b) { return b == 0x00; });
  const bool broadcast = std::all_of(mac, mac + 6, [](unsigned char b) { return b == 0xFF; });
  return !zero && !broadcast;
}

struct NeighbourTableReader::Waiter {
  uint32_t address;
  Clock::time_point deadline;
  bool done = false;
  bool found = false;
  unsigned char mac[6] = {};
  WakeEvent wake;
};

NeighbourTableReader::NeighbourTableReader(unsigned boundMilliseconds)
    : m_bound(std::chrono::milliseconds(boundMilliseconds)) {}

NeighbourTableReader::~NeighbourTableReader() {
  ThreadHandle thread;
  {
    CriticalSectionLock lock(m_lock);
    m_stopping = true;
    thread = m_thread;
  }
  m_work.Set();
  if (thread) {
    WaitForAllThreads(&thread, 1);
    CloseThread(thread);
  }
}

bool NeighbourTableReader::WaitForEntry(uint32_t address, unsigned char (&mac)[6]) {
  Waiter waiter;
  waiter.address = address;
  waiter.deadline = Clock::now() + m_bound;
  {
    CriticalSectionLock lock(m_lock);
    if (!m_thread && !m_stopping) m_thread = StartThread(ReaderThread, this);
    if (!m_thread) return false;  // nobody would ever read the table
    m_waiting.push_back(&waiter);
  }
  m_work.Set();
  const auto bound = std::chrono::duration_cast<std::chrono::milliseconds>(m_bound).count();
  waiter.wake.Wait(static_cast<unsigned>(bound) + kReaderGraceMilliseconds);

  CriticalSectionLock lock(m_lock);
  if (!waiter.done) {
    m_waiting.erase(std::find(m_waiting.begin(), m_waiting.end(), &waiter));
    return false;
  }
  if (waiter.found) std::memcpy(mac, waiter.mac, 6);
  return waiter.found;
}

unsigned NeighbourTableReader::ReadCount() {
  CriticalSectionLock lock(m_lock);
  return m_reads;
}

unsigned long TARNLOOK_THREADCALL NeighbourTableReader::ReaderThread(void* self) {
  static_cast<NeighbourTableReader*>(self)->ReadLoop();
  return 0;
}

void NeighbourTableReader::ReadLoop() {
  std::vector<ArpCacheRow> rows;
  for (;;) {
    bool idle;
    {
      CriticalSectionLock lock(m_lock);
      if (m_waiting.empty() && m_stopping) return;
      idle = m_waiting.empty();
    }
    if (idle) {
      m_work.Wait(kIdleMilliseconds);
      continue;
    }
    const Clock::time_point readStart = Clock::now();
    rows.clear();
    const bool read = ReadTable(rows);
    {
      CriticalSectionLock lock(m_lock);
      ++m_reads;
      if (!read) rows.clear();  // a failed read still counts against the bound
      Answer(rows, readStart);
    }
    SleepMilliseconds(kRereadMilliseconds);
  }
}

bool NeighbourTableReader::ReadTable(std::vector<ArpCacheRow>& rows) {
  NetPort& net = CurrentNetPort();
  // The size query costs as much as a read, so it is made only when the last size fell short.
  if (m_tableBytes && net.ReadArpTable(m_tableBytes, rows)) return true;
  rows.clear();
  const uint32_t needed = net.QueryArpTableSize();
  if (needed == 0) return true;  // an empty table
  m_tableBytes = needed + kTableHeadroomBytes;
  return net.ReadArpTable(m_tableBytes, rows);
}

void NeighbourTableReader::Answer(const std::vector<ArpCacheRow>& rows,
                                  Clock::time_point readStart) {
  auto settled = [&](Waiter* waiter) {
    for (const ArpCacheRow& row : rows) {
      if (row.address != waiter->address || !IsResolvedHardwareAddress(row.hardwareAddress))
        continue;
      std::memcpy(waiter->mac, row.hardwareAddress, 6);
      waiter->found = true;
      break;
    }
    if (!waiter->found && readStart < waiter->deadline) return false;
    waiter->done = true;
    waiter->wake.Set();  // under m_lock, so the waiter is still there to be woken
    return true;
  };
  m_waiting.erase(std::remove_if(m_waiting.begin(), m_waiting.end(), settled), m_waiting.end());
}
