#include <windows.h>

#include <new>

#include "platform/thread_port.h"

static_assert(sizeof(unsigned long) == sizeof(DWORD),
              "ThreadProc must match LPTHREAD_START_ROUTINE");

namespace {

struct ThreadStart {
  ThreadProc proc;
  void* parameter;
};

DWORD WINAPI GuardedThread(LPVOID start) {
  const ThreadStart copy = *static_cast<ThreadStart*>(start);
  delete static_cast<ThreadStart*>(start);
  return RunGuarded(copy.proc, copy.parameter);
}

}  // namespace

ThreadHandle StartThread(ThreadProc proc, void* parameter) {
  auto* start = new (std::nothrow) ThreadStart{proc, parameter};
  if (start == nullptr) return nullptr;
  // Default security and stack size, running at once.
  HANDLE thread = CreateThread(nullptr, 0, GuardedThread, start, 0, nullptr);
  if (thread == nullptr) delete start;
  return thread;
}

void WaitForAllThreads(const ThreadHandle* handles, std::size_t count) {
  WaitForMultipleObjects(static_cast<DWORD>(count), const_cast<HANDLE*>(handles), TRUE, INFINITE);
}

void CloseThread(ThreadHandle handle) { CloseHandle(handle); }

void SleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

CriticalSection::CriticalSection() : m_pImpl(new CRITICAL_SECTION) {
  InitializeCriticalSection(static_cast<CRITICAL_SECTION*>(m_pImpl));
}
CriticalSection::~CriticalSection() {
  DeleteCriticalSection(static_cast<CRITICAL_SECTION*>(m_pImpl));
  delete static_cast<CRITICAL_SECTION*>(m_pImpl);
}
void CriticalSection::Enter() { EnterCriticalSection(static_cast<CRITICAL_SECTION*>(m_pImpl)); }
void CriticalSection::Leave() { LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(m_pImpl)); }

WakeEvent::WakeEvent() : m_pImpl(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
WakeEvent::~WakeEvent() {
  if (m_pImpl) CloseHandle(m_pImpl);
}
void WakeEvent::Set() {
  if (m_pImpl) SetEvent(m_pImpl);
}
bool WakeEvent::Wait(unsigned milliseconds) {
  if (!m_pImpl) {  // no event object: fall back to a plain sleep, the caller tests its flag again
    Sleep(milliseconds);
    return false;
  }
  return WaitForSingleObject(m_pImpl, milliseconds) == WAIT_OBJECT_0;
}
