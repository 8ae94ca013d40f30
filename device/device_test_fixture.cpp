#include "device/device_test_fixture.h"

#include <cstdlib>
#include <filesystem>

#include "device/mfd.h"

#if defined(_WIN32)
const char* const kNullDevice = "NUL";
#else
const char* const kNullDevice = "/dev/null";
#endif

namespace {

const char* const kSwitches[] = {"VIRTUALMFD_NO_DEVICE",      "VIRTUALMFD_FAIL_INITIALIZE",
                                 "VIRTUALMFD_FAIL_SETSTRING", "VIRTUALMFD_REPLUG_SECONDS",
                                 "VIRTUALMFD_RECORD_RESULT",  "FLIGHTMFD_DISPLAY_LIBRARY"};

}  // namespace

DeviceTest::DeviceTest() {
    setenv("FLIGHTMFD_REGISTRY", file("registry").c_str(), 1);
    setenv("FLIGHTMFD_DEBUG_OUTPUT", file("debug.txt").c_str(), 1);
    setenv("VIRTUALMFD_RECORD", file("record.txt").c_str(), 1);
    setenv("VIRTUALMFD_VIEW", "0", 1);
    for (const char* name : kSwitches) {
        unsetenv(name);
    }
    nameLibrary(VIRTUALMFD_PATH);
    // Each test starts without a device, as the program does.
    MFD::deviceHandle = nullptr;
}

DeviceTest::~DeviceTest() {
    for (const char* name : kSwitches) {
        unsetenv(name);
    }
}

void DeviceTest::nameLibrary(const char* path) {
    if (path != nullptr) {
        setenv("FLIGHTMFD_DISPLAY_LIBRARY", path, 1);
    } else {
        unsetenv("FLIGHTMFD_DISPLAY_LIBRARY");
    }
}

void DeviceTest::clearDebugOutput() {
    std::filesystem::remove(file("debug.txt"));
}

std::vector<std::string> DeviceTest::recordLines() const {
    return testsupport::splitLines(testsupport::readFile(file("record.txt")));
}
