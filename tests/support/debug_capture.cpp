#include "tests/support/debug_capture.h"

#include <cstdio>
#include <mutex>

#include "platform/debug_output.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace testsupport {
namespace {

std::mutex capturedMutex;
std::string captured;  // guarded by capturedMutex

void capture(const std::string& text) {
    std::lock_guard<std::mutex> lock(capturedMutex);
    captured += text;
}

void toStandardError(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace

DebugCapture::DebugCapture() {
    clear();
    platform::swapDebugSink(capture);
}

DebugCapture::~DebugCapture() {
    platform::swapDebugSink(nullptr);
}

std::string DebugCapture::text() const {
    std::lock_guard<std::mutex> lock(capturedMutex);
    return captured;
}

void DebugCapture::clear() {
    std::lock_guard<std::mutex> lock(capturedMutex);
    captured.clear();
}

void redirectForDeathTest() {
    std::fflush(stdout);
#ifdef _WIN32
    const bool redirected =
        std::freopen("NUL", "r", stdin) != nullptr && _dup2(_fileno(stderr), _fileno(stdout)) == 0;
#else
    const bool redirected = std::freopen("/dev/null", "r", stdin) != nullptr &&
                            dup2(fileno(stderr), fileno(stdout)) >= 0;
#endif
    if (!redirected) {
        std::fputs("redirectForDeathTest failed\n", stderr);
    }
    platform::swapDebugSink(toStandardError);
}

}  // namespace testsupport
