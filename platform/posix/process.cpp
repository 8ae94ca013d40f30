#include "platform/process.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

void setUpConsole() {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
}

void exitFailure() {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(-1);
}

void exitFailureAfterWait() {
    exitFailure();
}

void keepWindowUntilKey() {}

bool processIsEnding() {
    return false;
}

void waitForKey() {
    std::getchar();
}

}  // namespace platform
