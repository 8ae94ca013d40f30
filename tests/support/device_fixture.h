#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/library.h"
#include "tests/support/files.h"
#include "tests/support/registry_entry.h"
#include "tests/support/scoped_environment.h"

namespace testsupport {

// The display libraries of the build under test, where programUnderTest finds
// them: the virtual display, and the one that lacks entry points.
std::string virtualDisplay();
std::string partialDisplay();
// Loads the library at `path` (UTF-8) as the program does; null when it cannot.
platform::LibraryHandle loadDisplay(const std::string& path);

// A fixture for the tests of the display library and of what drives it: the
// debugger output kept for the test (platform::swapDebugSink), a record file
// in a fresh temporary folder, and FLIGHTMFD_DISPLAY_LIBRARY naming the
// virtual display, with its live view and its switches of failure off. The
// environment is put back at the end.
class DeviceTest : public ::testing::Test {
  protected:
    DeviceTest();
    ~DeviceTest() override;

    // Names `path` in FLIGHTMFD_DISPLAY_LIBRARY; nothing: not set, so that the
    // registry decides.
    void nameLibrary(const std::optional<std::string>& path) {
        environment_.set("FLIGHTMFD_DISPLAY_LIBRARY", path);
    }
    // Sets one of the virtual display's switches (VIRTUALMFD_...) to `value`.
    void setSwitch(const char* name, const char* value = "1") { environment_.set(name, value); }
    std::string debugOutput() const;
    void clearDebugOutput();
    std::vector<std::string> recordLines() const;
    // Makes the registry this process's own, without the entry, for a test
    // that reads or writes it; "", or why it cannot be, and the test skips.
    std::string ownRegistry();

    TempFolder folder_;
    ScopedEnvironment environment_;
    std::optional<RegistryEntry> registry_;
};

}  // namespace testsupport
