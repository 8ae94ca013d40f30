#include "tests/support/device_fixture.h"

#include "platform/code_page.h"
#include "platform/utf8.h"
#include "tests/support/process.h"

namespace testsupport {

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
    environment_.set("VIRTUALMFD_RECORD", folder_.file("record.txt"));
    environment_.set("VIRTUALMFD_VIEW", "0");
    for (const char* name :
         {"VIRTUALMFD_NO_DEVICE", "VIRTUALMFD_FAIL_INITIALIZE", "VIRTUALMFD_FAIL_SETSTRING",
          "VIRTUALMFD_REPLUG_SECONDS", "VIRTUALMFD_RECORD_TIME", "VIRTUALMFD_RECORD_RESULT"}) {
        environment_.clear(name);
    }
    nameLibrary(virtualDisplay().c_str());
}

void DeviceTest::SetUp() {
    ASSERT_EQ(registry_.unavailable(), "");
}

void DeviceTest::nameLibrary(const char* path) {
    if (path != nullptr) {
        environment_.set("FLIGHTMFD_DISPLAY_LIBRARY", path);
    } else {
        environment_.clear("FLIGHTMFD_DISPLAY_LIBRARY");
    }
}

std::vector<std::string> DeviceTest::recordLines() const {
    return splitLines(readFile(folder_.file("record.txt")));
}

}  // namespace testsupport
