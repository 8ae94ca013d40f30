#include "platform/environment.h"

#include <gtest/gtest.h>

#include <string>

namespace platform {
namespace {

const char kName[] = "FLIGHTMFD_ENVIRONMENT_TEST";

TEST(Environment, SetReadAsWideOrNarrowTextAndCleared) {
    ASSERT_TRUE(clearEnvironmentVariable(kName));
    EXPECT_EQ(environmentVariable(kName), L"");
    EXPECT_EQ(environmentText(kName), std::nullopt);

    const std::string path = "C:\\Fl\xC3\xBCge\\\xE6\x97\xA5\xE6\x9C\xAC\\virtualmfd.dll";
    ASSERT_TRUE(setEnvironmentVariable(kName, path));
    EXPECT_EQ(environmentVariable(kName), L"C:\\Fl\u00FCge\\\u65E5\u672C\\virtualmfd.dll");
    EXPECT_EQ(environmentText(kName), path);
    // Longer than the first guess at its size.
    const std::string longPath = "C:\\" + std::string(5000, 'd') + "\\virtualmfd.dll";
    ASSERT_TRUE(setEnvironmentVariable(kName, longPath));
    EXPECT_EQ(environmentVariable(kName), std::wstring(longPath.begin(), longPath.end()));
    EXPECT_EQ(environmentText(kName), longPath);
#ifndef _WIN32
    // A byte that is not UTF-8 is a character of the 8-bit code page, and
    // stays a byte in the narrow text, as the file's name has it.
    ASSERT_TRUE(setEnvironmentVariable(kName, "/home/pilot/Fl\xFCge"));
    EXPECT_EQ(environmentVariable(kName), L"/home/pilot/Fl\u00FCge");
    EXPECT_EQ(environmentText(kName), "/home/pilot/Fl\xFCge");
#endif
    // Set to nothing is set.
    ASSERT_TRUE(setEnvironmentVariable(kName, ""));
    EXPECT_EQ(environmentVariable(kName), L"");
    EXPECT_EQ(environmentText(kName), "");

    ASSERT_TRUE(clearEnvironmentVariable(kName));
    EXPECT_EQ(environmentText(kName), std::nullopt);
    EXPECT_TRUE(clearEnvironmentVariable(kName)) << "clearing what is not set is no failure";
}

}  // namespace
}  // namespace platform
