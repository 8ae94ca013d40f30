#include "platform/environment.h"

#include <gtest/gtest.h>

#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace platform {
namespace {

const char kName[] = "FLIGHTMFD_ENVIRONMENT_TEST";

#if defined(_WIN32)
// The wide environment, as a user's `set` in a command prompt leaves it.
void setVariable(const std::wstring& value) {
    SetEnvironmentVariableW(L"FLIGHTMFD_ENVIRONMENT_TEST", value.c_str());
}
void unsetVariable() {
    SetEnvironmentVariableW(L"FLIGHTMFD_ENVIRONMENT_TEST", nullptr);
}
#else
// The bytes of the environment, UTF-8 as a POSIX shell leaves them.
void setVariable(const std::string& bytes) {
    setenv(kName, bytes.c_str(), 1);
}
void unsetVariable() {
    unsetenv(kName);
}
#endif

TEST(Environment, ReadsTheWholeValueAsWideText) {
    unsetVariable();
    EXPECT_EQ(environmentVariable(kName), L"");

#if defined(_WIN32)
    const std::wstring path = L"C:\\Fl\u00FCge\\\u65E5\u672C\\virtualmfd.dll";
    setVariable(path);
    EXPECT_EQ(environmentVariable(kName), path);
    // Longer than the first guess at its size.
    const std::wstring longPath = L"C:\\" + std::wstring(5000, L'd') + L"\\virtualmfd.dll";
    setVariable(longPath);
    EXPECT_EQ(environmentVariable(kName), longPath);
#else
    setVariable("/home/pilot/Fl\xC3\xBCge/\xE6\x97\xA5\xE6\x9C\xAC/libvirtualmfd.so");
    EXPECT_EQ(environmentVariable(kName), L"/home/pilot/Fl\u00FCge/\u65E5\u672C/libvirtualmfd.so");
    // A byte that is not UTF-8 is a character of the 8-bit code page.
    setVariable("/home/pilot/Fl\xFCge");
    EXPECT_EQ(environmentVariable(kName), L"/home/pilot/Fl\u00FCge");
    setVariable("");
    EXPECT_EQ(environmentVariable(kName), L"");
#endif
    unsetVariable();
}

}  // namespace
}  // namespace platform
