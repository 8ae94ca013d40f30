#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/library.h"
#include "tests/support/debug_capture.h"
#include "tests/support/files.h"
#include "tests/support/own_registry.h"
#include "tests/support/scoped_environment.h"

namespace testsupport {

// The display library of the build under test, where programUnderTest finds
// it: the virtual display, and the one that lacks entry points.
std::string virtualDisplay();
std::string partialDisplay();
// Loads the library at `path` (UTF-8) as the program does; null when it cannot.
platform::LibraryHandle loadDisplay(const std::string& path);

// A fixture for the tests of the display library and of what drives it: the
// debugger output captured, a record file in a fresh temporary folder, a
// registry of the test's own without the entry, and FLIGHTMFD_DISPLAY_LIBRARY
// naming the virtual display, whose live view is off and whose switches of
// failure are off. The environment is put back at the end.
class DeviceTest : public ::testing::Test {
  protected:
    DeviceTest();
    void SetUp() override;

    // Names `path` in FLIGHTMFD_DISPLAY_LIBRARY; null: not set, so that the
    // registry decides.
    void nameLibrary(const char* path);
    // Sets one of the virtual display's switches (VIRTUALMFD_...) to `value`.
    void setSwitch(const char* name, const char* value = "1") { environment_.set(name, value); }
    std::string debugOutput() const { return debug_.text(); }
    void clearDebugOutput() { debug_.clear(); }
    std::vector<std::string> recordLines() const;

    TempFolder folder_;
    ScopedEnvironment environment_;
    OwnRegistry registry_;
    DebugCapture debug_;
};

}  // namespace testsupport
