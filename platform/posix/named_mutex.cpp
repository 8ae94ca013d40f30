#include "platform/named_mutex.h"

#include <chrono>
#include <map>
#include <mutex>
#include <string>

namespace platform {
namespace {

// The process's name table. Entries are created on first use and never
// removed, so a handle's pointer stays valid for the life of the process.
std::mutex tableMutex;
std::map<std::string, std::timed_mutex>& nameTable() {
    static auto* table = new std::map<std::string, std::timed_mutex>();
    return *table;
}

}  // namespace

NamedMutex NamedMutex::open(const char* name) {
    std::lock_guard<std::mutex> guard(tableMutex);
    return NamedMutex(&nameTable()[name]);
}

bool NamedMutex::tryLockFor(uint32_t timeoutMs) {
    return static_cast<std::timed_mutex*>(impl_)->try_lock_for(
        std::chrono::milliseconds(timeoutMs));
}

void NamedMutex::unlock() { static_cast<std::timed_mutex*>(impl_)->unlock(); }

void NamedMutex::lock() {
    while (!tryLockFor(1000)) {
    }
}

}  // namespace platform
