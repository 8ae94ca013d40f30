#pragma once

#include <cstdint>

namespace platform {

// One handle to a mutex known by name. Every handle opened with the same name
// refers to the same mutex; the first open creates it. The mutexes are private
// to this process: a second running copy of the program has its own set and
// never blocks on ours. Handles are never closed; each thread opens its own.
// Thread-safety: a handle belongs to the thread that opened it.
class NamedMutex {
  public:
    // Opens (creating on first use) the mutex called `name`. A mutex that
    // cannot be created ends the process with a message on standard error.
    static NamedMutex open(const char* name);

    // Waits at most `timeoutMs` for the mutex; true when it is now held.
    bool tryLockFor(uint32_t timeoutMs);
    void unlock();

    // Waits in bounded steps of 1000 ms, and again after each step that runs
    // out, until the mutex is held: a guarded object is never touched without it.
    void lock();

  private:
    explicit NamedMutex(void* impl) : impl_(impl) {}
    void* impl_;  // POSIX: the mutex, owned by the name table; Windows: this handle
};

// Holds a NamedMutex for one scope.
class MutexLock {
  public:
    explicit MutexLock(NamedMutex& mutex) : mutex_(mutex) { mutex_.lock(); }
    ~MutexLock() { mutex_.unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

  private:
    NamedMutex& mutex_;
};

}  // namespace platform
