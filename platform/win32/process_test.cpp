#include "platform/process.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "platform/win32/test_probe.h"

namespace platform {
namespace {

TEST(ProcessWindows, EachLineReachesAPipeAtOnce) {
    Probe probe(L"line");
    // The probe is still waiting for its key: the line cannot have come out
    // through the end of the process.
    // Standard output is in text mode: each "\n" goes out as "\r\n".
    EXPECT_TRUE(probe.readUntil("line one\r\n")) << probe.output();
    probe.write("k");
    EXPECT_TRUE(probe.readUntil("after key\r\n")) << probe.output();
    EXPECT_EQ(probe.wait(), 0u);
}

TEST(ProcessWindows, LinesOfTwoThreadsStayWhole) {
    Probe probe(L"two-writers");
    ASSERT_EQ(probe.wait(), 0u);
    std::istringstream lines(probe.output());
    int printed = 0;
    int put = 0;
    std::string line;
    while (std::getline(lines, line)) {
        if (std::regex_match(line, std::regex(R"(printf : \[tid : 1234\] line \d+\r)"))) {
            ++printed;
        } else if (line == "fputs : [tid : 5678] line\r") {
            ++put;
        } else {
            ADD_FAILURE() << "broken line: " << line;
        }
    }
    EXPECT_EQ(printed, 500);
    EXPECT_EQ(put, 500);
}

TEST(ProcessWindows, WaitForKeyReturnsWithoutInput) {
    for (Probe::Input input : {Probe::Input::kPipe, Probe::Input::kAbsent}) {
        Probe probe(L"wait-key", input);
        probe.closeInput();
        EXPECT_EQ(probe.wait(), 0u) << probe.output();
    }
}

TEST(ProcessWindows, ExitFailureFlushesAndEndsWithMinusOne) {
    for (const wchar_t* command : {L"exit-failure", L"exit-failure-thread"}) {
        Probe probe(command);
        EXPECT_EQ(probe.wait(), static_cast<DWORD>(kExitFailureStatus)) << command;
        EXPECT_EQ(probe.output(), "pending") << command;
    }
}

}  // namespace
}  // namespace platform
