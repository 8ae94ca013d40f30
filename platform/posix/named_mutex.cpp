#include "platform/named_mutex.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

namespace platform {
namespace {

// A mutex with a bounded wait, built from a plain mutex and a condition
// variable rather than std::timed_mutex: its timed lock goes through
// pthread_mutex_clocklock, which ThreadSanitizer does not follow, and every
// lock of ours must be visible to it.
struct BoundedMutex {
    std::mutex state;
    std::condition_variable released;
    bool held = false;
};

// The process's name table. Entries are created on first use and never
// removed, so a handle's pointer stays valid for the life of the process.
std::mutex tableMutex;
std::map<std::string, BoundedMutex>& nameTable() {
    static auto* table = new std::map<std::string, BoundedMutex>();
    return *table;
}

}  // namespace

NamedMutex NamedMutex::open(const char* name) {
    std::lock_guard<std::mutex> guard(tableMutex);
    return NamedMutex(&nameTable()[name]);
}

bool NamedMutex::tryLockFor(uint32_t timeoutMs) {
    auto& mutex = *static_cast<BoundedMutex*>(impl_);
    std::unique_lock<std::mutex> lock(mutex.state);
    if (!mutex.released.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return !mutex.held; })) {
        return false;
    }
    mutex.held = true;
    return true;
}

void NamedMutex::unlock() {
    auto& mutex = *static_cast<BoundedMutex*>(impl_);
    {
        std::lock_guard<std::mutex> lock(mutex.state);
        mutex.held = false;
    }
    mutex.released.notify_one();
}

void NamedMutex::lock() {
    while (!tryLockFor(1000)) {
    }
}

}  // namespace platform
