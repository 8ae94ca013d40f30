#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/registry_entry.h"
#include "tests/support/wait_until.h"
#include "tools/flightmfd_sim/udp_endpoint.h"

namespace testsupport {

// One display line of a config.xml.
struct Line {
    std::string valueName;
    std::string attributes;  // e.g. prefix="ALT" unit="ft"
};

std::string configXml(const std::string& host, const std::string& port,
                      const std::vector<Line>& lines);

// Plays the simulator on `peer`: answers each query whose code `answers`
// holds with that value, until `done` holds or `seconds` pass; whether it held.
bool serve(UdpEndpoint& peer, const std::map<int, std::string>& answers,
           const std::function<bool()>& done, double seconds = 10);

// The programs under test, where programUnderTest finds them.
inline std::string flightmfdPath() {
    return programUnderTest(FLIGHTMFD_PATH);
}
inline std::string virtualDisplayPath() {
    return programUnderTest(VIRTUALMFD_PATH);
}
inline std::string simulatorPath() {
    return programUnderTest(FLIGHTMFD_SIM_PATH);
}
inline std::string previewPath() {
    return programUnderTest(FLIGHTMFD_PREVIEW_PATH);
}

// Runs the program (build/bin/flightmfd) in a folder of its own, with
// FLIGHTMFD_DISPLAY_LIBRARY naming the virtual display, which records every
// call. The POSIX registry stand-in there holds no entry.
class SystemTest : public ::testing::Test {
  protected:
    SystemTest();

    void writeConfig(const std::string& xml) { writeFile(folder_.file("config.xml"), xml); }
    // For the tests of the registry: FLIGHTMFD_DISPLAY_LIBRARY is cleared, and
    // the registry names `path` ("": no entry) until the test ends. Returns
    // "", or why the registry cannot (RegistryEntry::notHeld): the test then
    // skips with that reason.
    std::string registerLibrary(const std::string& path);
    void start();
    // Starts the program with `lines`, against a simulator on 127.0.0.1:`port`.
    void startWith(uint16_t port, const std::vector<Line>& lines) {
        writeConfig(configXml("127.0.0.1", std::to_string(port), lines));
        start();
    }
    // Starts `command` with `arguments` in place of the program, in the
    // same folder and environment (a wrapper that starts the program).
    void startThrough(const std::string& command, const std::vector<std::string>& arguments);
    ChildProcess& program() { return *program_; }

    // The exit status once the program has ended by itself within `seconds`.
    std::optional<int> exitStatus(double seconds = 10);
    // True when the program still runs `seconds` from now.
    bool stillRunsAfter(double seconds);

    std::string record() const { return readFile(folder_.file("record.txt")); }
    std::string debugOutput() const { return readFile(folder_.file("debug.txt")); }
    // The text most recently written to (page, line), or nothing.
    std::optional<std::string> shownText(int page, int line) const;
    bool waitForShown(int page, int line, const std::string& text, double seconds = 10) const;
    bool waitForOutput(const std::string& text, double seconds = 10);

    TempFolder folder_;
    std::map<std::string, std::string> environment_;
    std::unique_ptr<RegistryEntry> registryEntry_;
    std::unique_ptr<ChildProcess> program_;
};

}  // namespace testsupport
