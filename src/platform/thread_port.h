#pragma once
// Threads, a lock and a wake-up signal for the sweep, in plain C++ types.
// Port kind: bound at link time (the one port that is: the sweep's hot path calls it directly).
// Bindings: platform/win32/thread_port_win32.cpp (CreateThread, WaitForMultipleObjects,
// CRITICAL_SECTION, an auto-reset event) and platform/posix/thread_port_posix.cpp.
#include <cstddef>

#ifdef _WIN32
#define TARNLOOK_THREADCALL __stdcall
#else
#define TARNLOOK_THREADCALL
#endif

// Same shape as a Win32 thread routine (DWORD WINAPI f(LPVOID)), so it is handed over unchanged.
using ThreadProc = unsigned long(TARNLOOK_THREADCALL*)(void* parameter);
using ThreadHandle = void*;

// At most this many handles are waited on in one call, as WaitForMultipleObjects requires.
constexpr std::size_t kMaxWaitHandles = 64;

// Starts proc(parameter) at once with default security and stack size; nullptr on failure. The
// thread runs proc through RunGuarded.
ThreadHandle StartThread(ThreadProc proc, void* parameter);
// The one exception boundary of the threads the port starts, as the window procedure is for
// messages: an exception that would leave proc (running out of memory, say) ends only that
// thread, with result 1, instead of the process.
unsigned long RunGuarded(ThreadProc proc, void* parameter) noexcept;
// Waits with no time-out until every one of count (1 to kMaxWaitHandles) threads has ended.
void WaitForAllThreads(const ThreadHandle* handles, std::size_t count);
// Releases a handle of a thread (running or ended); the thread itself goes on.
void CloseThread(ThreadHandle handle);
// Lets the calling thread sleep.
void SleepMilliseconds(unsigned milliseconds);

// A process-wide lock; may be a static object (created during static initialisation).
class CriticalSection {
 public:
  CriticalSection();
  ~CriticalSection();
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  void Enter();
  void Leave();

 private:
  void* m_pImpl;
};

class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CriticalSection& cs) : m_cs(cs) { m_cs.Enter(); }
  ~CriticalSectionLock() { m_cs.Leave(); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CriticalSection& m_cs;
};

// Auto-reset event: Set wakes one waiter (or the next one to wait); Wait returns true when woken,
// false after the time-out.
class WakeEvent {
 public:
  WakeEvent();
  ~WakeEvent();
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;
  void Set();
  bool Wait(unsigned milliseconds);

 private:
  void* m_pImpl;
};
