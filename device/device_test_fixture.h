#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A fixture with a registry, a debugger output file and a record file of the
// test's own, in a fresh temporary folder, named by the environment variables
// that the platform layer and the virtual display read. The virtual display
// is registered as the vendor's library; its live view is off.
class DeviceTest : public ::testing::Test {
  protected:
    DeviceTest();
    ~DeviceTest() override;

    // Makes `path` the registered library; an empty path removes the whole key.
    void registerLibrary(const std::string& path);
    // Stores `bytes` as they are as the registry value of the library's path.
    void registerValue(const std::string& bytes);
    std::string file(const std::string& name) const { return folder_ + "/" + name; }
    std::string debugOutput() const;
    void clearDebugOutput();
    std::vector<std::string> recordLines() const;

  private:
    std::string folder_;
};

std::string readFile(const std::string& path);

// The null device to read standard input from, so that a key wait returns at once.
extern const char* const kNullDevice;
