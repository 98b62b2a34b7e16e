#pragma once
// One reader of the system's neighbour (ARP) table for every probe that waits for an entry.
//
// Where SendARP is missing, a probe learns a hardware address from the neighbour table after a
// datagram has made the system ask for it. Reading that table costs 116-250 ms under Wine once it
// holds a /24's worth of rows, so the probes never read it themselves: one thread reads it again
// 50 ms after its previous read ended, as long as any probe waits, and hands each waiting probe
// its entry.
#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/net_port.h"
#include "platform/thread_port.h"

// Whether a table entry holds an answer. An address being resolved, or one nobody holds, is listed
// with an all-zero MAC (Wine lists every entry as dynamic, whatever the kernel's state); all 0xFF is
// the broadcast address, no device's.
bool IsResolvedHardwareAddress(const unsigned char (&mac)[6]);

class NeighbourTableReader {
 public:
  static constexpr unsigned kRereadMilliseconds = 50;

  // boundMilliseconds: how long after it starts waiting a probe's address may still resolve.
  explicit NeighbourTableReader(unsigned boundMilliseconds);
  // Ends the reader thread. Only once no probe waits any more (the sweep has waited for them all).
  ~NeighbourTableReader();
  NeighbourTableReader(const NeighbourTableReader&) = delete;
  NeighbourTableReader& operator=(const NeighbourTableReader&) = delete;

  // Blocks until a read finds a resolved entry for address (true, and its MAC), or until a read
  // that started after the bound finds none (false). So even a slow read cannot cut a probe short.
  bool WaitForEntry(uint32_t address, unsigned char (&mac)[6]);

  // Table reads so far (for the benchmark and the tests).
  unsigned ReadCount();

 private:
  using Clock = std::chrono::steady_clock;
  struct Waiter;

  static unsigned long TARNLOOK_THREADCALL ReaderThread(void* self);
  void ReadLoop();
  bool ReadTable(std::vector<ArpCacheRow>& rows);
  // Hands out what a read that started at readStart found; under m_lock.
  void Answer(const std::vector<ArpCacheRow>& rows, Clock::time_point readStart);

  const Clock::duration m_bound;
  CriticalSection m_lock;  // guards everything below but m_tableBytes
  std::vector<Waiter*> m_waiting;
  ThreadHandle m_thread = nullptr;
  bool m_stopping = false;
  unsigned m_reads = 0;
  WakeEvent m_work;           // a probe began to wait, or the reader is to end
  uint32_t m_tableBytes = 0;  // the reader thread's buffer size for the next read
};
