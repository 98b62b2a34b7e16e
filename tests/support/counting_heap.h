#pragma once
// Heap use of the program that includes this header, counted so that a test or a benchmark can read
// the peak bytes of one operation: operator new and delete are replaced, each block carrying its size
// in a header in front of it. Include it from exactly one source file of a program.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace heap {
inline std::atomic<int64_t> live{0}, peak{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

inline void* Take(std::size_t n) {
  void* block = std::malloc(n + kHeader);
  if (!block) throw std::bad_alloc();
  *static_cast<std::size_t*>(block) = n;
  const int64_t now = live += static_cast<int64_t>(n);
  for (int64_t p = peak; now > p && !peak.compare_exchange_weak(p, now);) {
  }
  return static_cast<char*>(block) + kHeader;
}

inline void Give(void* p) {
  if (!p) return;
  void* block = static_cast<char*>(p) - kHeader;
  live -= static_cast<int64_t>(*static_cast<std::size_t*>(block));
  std::free(block);
}
}  // namespace heap

void* operator new(std::size_t n) { return heap::Take(n); }
void* operator new[](std::size_t n) { return heap::Take(n); }
void operator delete(void* p) noexcept { heap::Give(p); }
void operator delete[](void* p) noexcept { heap::Give(p); }
void operator delete(void* p, std::size_t) noexcept { heap::Give(p); }
void operator delete[](void* p, std::size_t) noexcept { heap::Give(p); }
