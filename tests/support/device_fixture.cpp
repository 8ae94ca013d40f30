#include "tests/support/device_fixture.h"

#include <mutex>

#include "platform/code_page.h"
#include "platform/debug_output.h"
#include "platform/utf8.h"
#include "tests/support/process.h"

namespace testsupport {
namespace {

std::mutex debugMutex;
std::string debugText;  // guarded by debugMutex; the texts may come from any thread

void keepDebugText(const std::string& text) {
    std::lock_guard<std::mutex> lock(debugMutex);
    debugText += text;
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

std::string DeviceTest::ownRegistry() {
    return registry_.emplace(folder_.file("registry"), "", RegistryEntry::Reader::kThisProcess)
        .notHeld();
}

}  // namespace testsupport
