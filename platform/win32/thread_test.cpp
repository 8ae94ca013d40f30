#include "platform/thread.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

namespace platform {
namespace {

std::atomic<bool> released{false};

uint32_t waitForRelease(void*) {
    while (!released) {
        sleepMs(1);
    }
    return 0;
}

// The process that the system says the thread of this id belongs to; 0 when
// no such thread exists.
DWORD ownerOf(uint32_t threadId) {
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId);
    if (thread == nullptr) {
        return 0;
    }
    DWORD owner = GetProcessIdOfThread(thread);
    CloseHandle(thread);
    return owner;
}

TEST(ThreadWindows, IdsAreTheSystems) {
    uint32_t started = startThread("waitForRelease", waitForRelease, nullptr);
    EXPECT_EQ(ownerOf(currentThreadId()), currentProcessId());
    EXPECT_EQ(ownerOf(started), currentProcessId());
    released = true;
}

}  // namespace
}  // namespace platform
