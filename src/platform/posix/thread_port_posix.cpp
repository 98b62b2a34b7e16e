// Threads for the native build and its tests: std::thread behind the thread port.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/thread_port.h"

ThreadHandle StartThread(ThreadProc proc, void* parameter) {
  try {
    return new std::thread([proc, parameter] { RunGuarded(proc, parameter); });
  } catch (...) {  // no thread to be had, or no memory for its object
    return nullptr;
  }
}

void WaitForAllThreads(const ThreadHandle* handles, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    auto* thread = static_cast<std::thread*>(handles[i]);
    if (thread->joinable()) thread->join();
  }
}

void CloseThread(ThreadHandle handle) {
  auto* thread = static_cast<std::thread*>(handle);
  if (thread->joinable()) thread->detach();
  delete thread;
}

void SleepMilliseconds(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

CriticalSection::CriticalSection() : m_pImpl(new std::recursive_mutex) {}
CriticalSection::~CriticalSection() { delete static_cast<std::recursive_mutex*>(m_pImpl); }
void CriticalSection::Enter() { static_cast<std::recursive_mutex*>(m_pImpl)->lock(); }
void CriticalSection::Leave() { static_cast<std::recursive_mutex*>(m_pImpl)->unlock(); }

namespace {
struct EventState {
  std::mutex mutex;
  std::condition_variable woken;
  bool set = false;
};
}  // namespace

WakeEvent::WakeEvent() : m_pImpl(new EventState) {}
WakeEvent::~WakeEvent() { delete static_cast<EventState*>(m_pImpl); }

void WakeEvent::Set() {
  auto* state = static_cast<EventState*>(m_pImpl);
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->set = true;
  }
  state->woken.notify_one();
}

bool WakeEvent::Wait(unsigned milliseconds) {
  auto* state = static_cast<EventState*>(m_pImpl);
  std::unique_lock<std::mutex> lock(state->mutex);
  if (!state->woken.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [state] { return state->set; }))
    return false;
  state->set = false;  // auto-reset: one wake per Set
  return true;
}
