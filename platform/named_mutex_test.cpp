#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace platform {
namespace {

bool lockableFromOtherThread(const char* name) {
    std::atomic<bool> acquired{false};
    std::thread other([&] {
        NamedMutex mine = NamedMutex::open(name);
        acquired = mine.tryLockFor(20);
        if (acquired) {
            mine.unlock();
        }
    });
    other.join();
    return acquired;
}

TEST(NamedMutex, OneNameIsOneMutexAcrossThreads) {
    NamedMutex held = NamedMutex::open("mutexTestShared");
    held.lock();
    EXPECT_FALSE(lockableFromOtherThread("mutexTestShared"));
    EXPECT_TRUE(lockableFromOtherThread("mutexTestOther"));
    held.unlock();
    EXPECT_TRUE(lockableFromOtherThread("mutexTestShared"));
}

TEST(NamedMutex, ScopedLockReleasesOnExit) {
    NamedMutex mutex = NamedMutex::open("mutexTestScoped");
    { MutexLock lock(mutex); }
    EXPECT_TRUE(lockableFromOtherThread("mutexTestScoped"));
}

}  // namespace
}  // namespace platform
