// A second process for the platform tests: each command exercises one
// service from outside the test process, where the test can watch its
// output, its exit code and what it shares with the test.
#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/named_mutex.h"
#include "platform/process.h"
#include "platform/thread.h"

namespace {

constexpr int kLinesPerWriter = 500;
std::atomic<bool> printed{false};

// Lines like the program's own, written the two ways it writes them, on two
// threads at once.
uint32_t printLines(void*) {
    for (int i = 0; i < kLinesPerWriter; ++i) {
        std::printf("printf : [tid : %d] line %d\n", 1234, i);
    }
    printed = true;
    return 0;
}

void putLines() {
    for (int i = 0; i < kLinesPerWriter; ++i) {
        std::fputs("fputs : [tid : 5678] line\n", stdout);
    }
}

uint32_t failFromThread(void*) {
    std::printf("pending");
    platform::exitFailure();
}

}  // namespace

int main(int argc, char** argv) {
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "mutex") == 0 && argc > 2) {
        // 0 when the mutex of that name is free in this process.
        platform::NamedMutex mutex = platform::NamedMutex::open(argv[2]);
        return mutex.tryLockFor(200) ? 0 : 1;
    }
    if (std::strcmp(command, "line") == 0) {
        platform::setUpConsole();
        std::printf("line one\n");
        platform::waitForKey();
        std::printf("after key\n");
        return 0;
    }
    if (std::strcmp(command, "two-writers") == 0) {
        platform::setUpConsole();
        platform::startThread("printLines", printLines, nullptr);
        putLines();
        while (!printed) {
            platform::sleepMs(1);
        }
        return 0;
    }
    if (std::strcmp(command, "wait-key") == 0) {
        platform::waitForKey();
        return 0;
    }
    if (std::strcmp(command, "exit-failure") == 0) {
        // Standard output to a pipe is fully buffered here: the text is still
        // in the buffer when exitFailure is called.
        std::printf("pending");
        platform::exitFailure();
    }
    if (std::strcmp(command, "exit-failure-thread") == 0) {
        platform::startThread("failFromThread", failFromThread, nullptr);
        for (;;) {
            platform::sleepMs(1000);
        }
    }
    std::fprintf(stderr, "unknown command\n");
    return 2;
}
