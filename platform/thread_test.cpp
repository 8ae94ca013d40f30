#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "tests/support/process.h"

namespace platform {
namespace {

std::atomic<uint32_t> reportedId{0};

uint32_t reportId(void*) {
    reportedId = currentThreadId();
    return 0;
}

TEST(Thread, StartReturnsTheIdTheThreadSeesItself) {
    uint32_t id = startThread("reportId", reportId, nullptr);
    while (reportedId == 0) {
        sleepMs(1);
    }
    EXPECT_EQ(id, reportedId.load());
    EXPECT_NE(id, currentThreadId());
}

std::atomic<bool> released{false};

uint32_t waitForRelease(void*) {
    while (!released) {
        sleepMs(1);
    }
    return 0;
}

// The ids are the system's: it finds the thread of each in this process.
TEST(Thread, IdsAreTheSystems) {
    const uint32_t started = startThread("waitForRelease", waitForRelease, nullptr);
    EXPECT_TRUE(testsupport::threadOfProcess(currentThreadId(), currentProcessId()));
    EXPECT_TRUE(testsupport::threadOfProcess(started, currentProcessId()));
    released = true;
}

}  // namespace
}  // namespace platform
