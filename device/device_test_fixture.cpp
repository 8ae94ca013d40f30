#include "device/device_test_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "device/mfd.h"
#include "platform/thread.h"

namespace fs = std::filesystem;

#if defined(_WIN32)
const char* const kNullDevice = "NUL";
#else
const char* const kNullDevice = "/dev/null";
#endif

namespace {

const char kKeyFolder[] = "registry/HKEY_LOCAL_MACHINE/SOFTWARE/Saitek/DirectOutput";

const char* const kSwitches[] = {"VIRTUALMFD_NO_DEVICE",      "VIRTUALMFD_FAIL_INITIALIZE",
                                 "VIRTUALMFD_FAIL_SETSTRING", "VIRTUALMFD_REPLUG_SECONDS",
                                 "VIRTUALMFD_RECORD_RESULT",  "FLIGHTMFD_DISPLAY_LIBRARY"};

}  // namespace

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

DeviceTest::DeviceTest() {
    static int count = 0;
    folder_ = (fs::temp_directory_path() /
               ("flightmfd-device-" + std::to_string(platform::currentProcessId()) + "-" +
                std::to_string(++count)))
                  .string();
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    setenv("FLIGHTMFD_REGISTRY", file("registry").c_str(), 1);
    setenv("FLIGHTMFD_DEBUG_OUTPUT", file("debug.txt").c_str(), 1);
    setenv("VIRTUALMFD_RECORD", file("record.txt").c_str(), 1);
    setenv("VIRTUALMFD_VIEW", "0", 1);
    for (const char* name : kSwitches) {
        unsetenv(name);
    }
    registerLibrary(VIRTUALMFD_PATH);
    // Each test starts without a device, as the program does.
    MFD::deviceHandle = nullptr;
}

DeviceTest::~DeviceTest() {
    for (const char* name : kSwitches) {
        unsetenv(name);
    }
    fs::remove_all(folder_);
}

void DeviceTest::registerLibrary(const std::string& path) {
    if (path.empty()) {
        fs::remove_all(file("registry"));
        return;
    }
    registerValue(path + "\n");
}

void DeviceTest::registerValue(const std::string& bytes) {
    fs::create_directories(file(kKeyFolder));
    std::ofstream(file(kKeyFolder) + "/DirectOutputX86", std::ios::binary) << bytes;
}

void DeviceTest::clearDebugOutput() {
    fs::remove(file("debug.txt"));
}

std::string DeviceTest::debugOutput() const {
    return readFile(file("debug.txt"));
}

std::vector<std::string> DeviceTest::recordLines() const {
    std::vector<std::string> lines;
    std::istringstream in(readFile(file("record.txt")));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}
