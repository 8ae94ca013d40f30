#include "tests/support/process.h"

#include "tests/support/files.h"
#include "tests/support/wait_until.h"

namespace testsupport {

bool Process::running() {
    return pid_ > 0 && !ended();
}

bool Process::waitForExit(double seconds, int* status) {
    if (!waitUntil(seconds, [&] { return !running(); }) || !exitStatus_) {
        return false;
    }
    *status = *exitStatus_;
    return true;
}

void Process::stop() {
    if (running()) {
        askToEnd();
        waitUntil(1.0, [&] { return !running(); });
        kill();
    }
}

std::string Process::output() const {
    return asText(readFile(outputPath_));
}

std::string Process::errors() const {
    return asText(readFile(errorPath_));
}

}  // namespace testsupport
