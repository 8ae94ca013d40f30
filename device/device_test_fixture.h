#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/files.h"

// A fixture with a debugger output file and a record file of the test's own,
// in a fresh temporary folder, named by the environment variables that the
// platform layer and the virtual display read. FLIGHTMFD_DISPLAY_LIBRARY
// names the virtual display, whose live view is off; the registry stand-in
// in the folder holds no entry.
class DeviceTest : public ::testing::Test {
  protected:
    DeviceTest();
    ~DeviceTest() override;

    // Names `path` in FLIGHTMFD_DISPLAY_LIBRARY; null: no library there, so
    // that the registry decides.
    void nameLibrary(const char* path);
    std::string file(const std::string& name) const { return folder_.file(name); }
    std::string debugOutput() const { return testsupport::readFile(file("debug.txt")); }
    void clearDebugOutput();
    std::vector<std::string> recordLines() const;

  private:
    testsupport::TempFolder folder_;
};

// The null device to read standard input from, so that a key wait returns at once.
extern const char* const kNullDevice;
