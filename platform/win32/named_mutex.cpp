#include "platform/named_mutex.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/process.h"

namespace platform {
namespace {

// The system's mutex names are shared by every process of the session. The
// process id in front keeps ours to this process, so that a second running
// copy of the program neither shares them nor waits on them.
std::string processPrivateName(const char* name) {
    return "Local\\flightmfd." + std::to_string(GetCurrentProcessId()) + "." + name;
}

}  // namespace

NamedMutex NamedMutex::open(const char* name) {
    // The first open creates the mutex; a later one with the same name gets a
    // new handle to it. Handles are never closed: the threads keep theirs for
    // the life of the process.
    HANDLE handle = CreateMutexA(nullptr, FALSE, processPrivateName(name).c_str());
    if (handle == nullptr) {
        std::fprintf(stderr, "Cannot create %s. Error : %lu\n", name, GetLastError());
        exitFailure();
    }
    return NamedMutex(handle);
}

bool NamedMutex::tryLockFor(uint32_t timeoutMs) {
    // An abandoned mutex (its holder thread ended without releasing it) is
    // handed to the waiter all the same; the guarded object is still whole,
    // since no thread of ours ends while it holds a lock.
    DWORD result = WaitForSingleObject(static_cast<HANDLE>(impl_), timeoutMs);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void NamedMutex::unlock() {
    ReleaseMutex(static_cast<HANDLE>(impl_));
}

void NamedMutex::lock() {
    while (!tryLockFor(1000)) {
    }
}

}  // namespace platform
