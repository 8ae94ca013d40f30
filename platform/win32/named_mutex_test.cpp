#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/win32/test_probe.h"

namespace platform {
namespace {

TEST(NamedMutexWindows, ASecondProcessHasMutexesOfItsOwn) {
    NamedMutex held = NamedMutex::open("mutexProbe");
    held.lock();
    Probe other(L"mutex mutexProbe");
    EXPECT_EQ(other.wait(), 0u) << "the other process waited on our mutex";
    held.unlock();
}

TEST(NamedMutexWindows, AnAbandonedMutexIsAcquired) {
    // A thread that ends while it holds the mutex leaves it abandoned; the
    // next waiter gets it instead of waiting for ever.
    std::thread([] { NamedMutex::open("mutexAbandoned").lock(); }).join();
    NamedMutex mutex = NamedMutex::open("mutexAbandoned");
    EXPECT_TRUE(mutex.tryLockFor(1000));
    mutex.unlock();
}

}  // namespace
}  // namespace platform
