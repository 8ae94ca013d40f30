#include "tests/support/system_fixture.h"

#include <filesystem>
#include <sstream>

namespace testsupport {

std::string configXml(const std::string& host, const std::string& port,
                      const std::vector<Line>& lines) {
    std::string xml =
        "<flightmfd>\n  <il2host ipAddress=\"" + host + "\" port=\"" + port + "\"/>\n";
    for (const Line& line : lines) {
        xml += "  <line " + line.attributes + ">" + line.valueName + "</line>\n";
    }
    return xml + "</flightmfd>\n";
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

SystemTest::SystemTest() {
    environment_["FLIGHTMFD_REGISTRY"] = folder_.file("registry");
    environment_["FLIGHTMFD_DEBUG_OUTPUT"] = folder_.file("debug.txt");
    environment_["VIRTUALMFD_RECORD"] = folder_.file("record.txt");
    environment_["VIRTUALMFD_VIEW"] = "0";
    // Empty, so that the registry stand-in decides, whatever the test's own
    // environment holds.
    environment_["FLIGHTMFD_DISPLAY_LIBRARY"] = "";
    registerLibrary(VIRTUALMFD_PATH);
}

void SystemTest::registerLibrary(const std::string& path) {
    std::string key = folder_.file("registry/HKEY_LOCAL_MACHINE/SOFTWARE/Saitek/DirectOutput");
    std::filesystem::create_directories(key);
    writeFile(key + "/DirectOutputX86", path + "\n");
}

void SystemTest::start() {
    startThrough(FLIGHTMFD_PATH, {});
}

void SystemTest::startThrough(const std::string& command,
                              const std::vector<std::string>& arguments) {
    program_ = std::make_unique<ChildProcess>(command, arguments, folder_.path(), environment_);
}

int SystemTest::exitStatus(double seconds) {
    int status = -1;
    return program_->waitForExit(seconds, &status) ? status : -1;
}

std::vector<std::string> SystemTest::recordLines() const {
    return splitLines(record());
}

std::optional<std::string> SystemTest::shownText(int page, int line) const {
    std::vector<std::string> lines = recordLines();
    std::string head = " " + std::to_string(page) + " " + std::to_string(line) + " ";
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->rfind("SetString ", 0) != 0) {
            continue;
        }
        // SetString <device> <page> <line> <length> "<text>"
        size_t afterDevice = it->find(' ', 10);
        if (afterDevice == std::string::npos || it->compare(afterDevice, head.size(), head) != 0) {
            continue;
        }
        size_t open = it->find('"');
        if (open == std::string::npos || it->size() < open + 2) {
            continue;
        }
        return it->substr(open + 1, it->size() - open - 2);
    }
    return std::nullopt;
}

bool SystemTest::waitForShown(int page, int line, const std::string& text, double seconds) const {
    return waitUntil(seconds, [&] { return shownText(page, line) == text; });
}

bool SystemTest::waitForOutput(const std::string& text, double seconds) {
    return waitUntil(seconds, [&] { return program_->output().find(text) != std::string::npos; });
}

}  // namespace testsupport
