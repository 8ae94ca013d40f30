#include "platform/thread.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <string>

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

#ifndef _WIN32
// Windows numbers threads and processes apart; win32/thread_test.cpp checks
// its ids against the system's own records.
bool visibleInProc(uint32_t tid) {
#ifdef __linux__
    struct stat info;
    std::string path =
        "/proc/" + std::to_string(currentProcessId()) + "/task/" + std::to_string(tid);
    return stat(path.c_str(), &info) == 0;
#else
    return tid != 0;
#endif
}

TEST(Thread, IdsAreTheKernels) {
    // gtest runs tests on the main thread, whose id is the process id.
    EXPECT_EQ(currentThreadId(), currentProcessId());
    EXPECT_TRUE(visibleInProc(currentThreadId()));
}
#endif

}  // namespace
}  // namespace platform
