// Recursive lock: a mutex, the owning thread and a depth count. The owner may
// enter again (the depth counts up); the mutex is released when every Enter
// has been matched by a Leave.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

class KIT_Mutex {
 public:
  KIT_Mutex() = default;
  KIT_Mutex(const KIT_Mutex&) = delete;
  KIT_Mutex& operator=(const KIT_Mutex&) = delete;

  void Enter() {
    const std::thread::id self = std::this_thread::get_id();
    if (m_owner.load(std::memory_order_acquire) == self) {
      ++m_depth;
      return;
    }
    m_mutex.lock();
    m_owner.store(self, std::memory_order_release);
    m_depth = 0;
  }

  void Leave() {
    if (m_owner.load(std::memory_order_acquire) != std::this_thread::get_id()) return;  // not ours
    if (--m_depth < 0) {
      m_owner.store(std::thread::id(), std::memory_order_release);
      m_mutex.unlock();
    }
  }

  // Depth of the current hold: -1 when not held by the caller, 0 for one Enter.
  int GetDepth() const {
    return m_owner.load(std::memory_order_acquire) == std::this_thread::get_id() ? m_depth : -1;
  }

 private:
  std::mutex m_mutex;
  std::atomic<std::thread::id> m_owner{};
  int m_depth = -1;
};

// Holds a KIT_Mutex for the life of a scope.
class KIT_MutexLock {
 public:
  explicit KIT_MutexLock(KIT_Mutex* mutex) : m_mutex(mutex) {
    if (m_mutex) m_mutex->Enter();
  }
  ~KIT_MutexLock() {
    if (m_mutex) m_mutex->Leave();
  }
  KIT_MutexLock(const KIT_MutexLock&) = delete;
  KIT_MutexLock& operator=(const KIT_MutexLock&) = delete;

 private:
  KIT_Mutex* m_mutex;
};
