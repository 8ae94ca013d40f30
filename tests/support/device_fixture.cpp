#include "tests/support/device_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/code_page.h"
#include "platform/debug_output.h"
#include "platform/utf8.h"
#include "tests/support/process.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace testsupport {
namespace {

std::mutex debugMutex;
std::string debugText;  // guarded by debugMutex; the texts may come from any thread

void keepDebugText(const std::string& text) {
    std::lock_guard<std::mutex> lock(debugMutex);
    debugText += text;
}

void debugToStandardError(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);  // Windows' C runtime may buffer it, and the order matters
}

}  // namespace

std::string virtualDisplay() {
    return programUnderTest(VIRTUALMFD_PATH);
}

std::string partialDisplay() {
    return programUnderTest(PARTIALMFD_PATH);
}

platform::LibraryHandle loadDisplay(const std::string& path) {
    return platform::loadLibrary(
        platform::fromUtf8(path.data(), path.size(), platform::codePageChar).c_str());
}

DeviceTest::DeviceTest() {
    clearDebugOutput();
    platform::swapDebugSink(keepDebugText);
    environment_.set("VIRTUALMFD_RECORD", folder_.file("record.txt"));
    environment_.set("VIRTUALMFD_VIEW", "0");
    for (const char* name :
         {"VIRTUALMFD_NO_DEVICE", "VIRTUALMFD_FAIL_INITIALIZE", "VIRTUALMFD_FAIL_SETSTRING",
          "VIRTUALMFD_REPLUG_SECONDS", "VIRTUALMFD_RECORD_TIME", "VIRTUALMFD_RECORD_RESULT"}) {
        environment_.set(name, std::nullopt);
    }
    nameLibrary(virtualDisplay());
}

DeviceTest::~DeviceTest() {
    platform::swapDebugSink(nullptr);
}

std::string DeviceTest::debugOutput() const {
    std::lock_guard<std::mutex> lock(debugMutex);
    return debugText;
}

void DeviceTest::clearDebugOutput() {
    std::lock_guard<std::mutex> lock(debugMutex);
    debugText.clear();
}

std::vector<std::string> DeviceTest::recordLines() const {
    return splitLines(readFile(folder_.file("record.txt")));
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
        std::abort();  // the parent sees another end than the one it waits for
    }
    platform::swapDebugSink(debugToStandardError);
}

}  // namespace testsupport
