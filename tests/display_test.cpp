// The whole system with the virtual display: what the display is told, and how
// each device failure ends or goes on.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "device/mfd.h"
#include "platform/process.h"
#include "tests/support/system_fixture.h"
#include "tools/flightmfd_sim/udp_endpoint.h"

namespace testsupport {
namespace {

class DisplayTest : public SystemTest {
  protected:
    std::vector<std::string> setStringCalls() const {
        std::vector<std::string> calls;
        for (const std::string& line : splitLines(record())) {
            if (line.rfind("SetString ", 0) == 0) {
                calls.push_back(line);
            }
        }
        return calls;
    }

    UdpEndpoint peer_{0};
};

TEST_F(DisplayTest, FourLinesMakeTwoPagesAndSixCallsAPass) {
    startWith(peer_.port(), {{"altimeter", ""}, {"slip", ""}, {"turn", ""}, {"flaps", ""}});
    ASSERT_TRUE(waitUntil(10, [&] { return setStringCalls().size() >= 12; }));
    EXPECT_NE(record().find(" 1 \"PAGE01\" 0\n"), std::string::npos) << record();
    std::vector<std::string> calls = setStringCalls();
    const char* expectedTargets[] = {" 0 0 ", " 0 1 ", " 0 2 ", " 1 0 ", " 1 1 ", " 1 2 "};
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_NE(calls[i].find(expectedTargets[i % 6]), std::string::npos) << calls[i];
    }
    EXPECT_TRUE(waitForShown(1, 1, "***", 0));
    EXPECT_TRUE(waitForShown(1, 2, "***", 0));
    EXPECT_TRUE(waitForShown(1, 0, " 0.00", 1));
}

TEST_F(DisplayTest, LinesShowTheSimulatorsValuesInTheirUnits) {
    // Each line of config.xml and what it shows, three lines to a page.
    const std::pair<Line, std::string> rows[] = {
        {{"altimeter", "prefix=\"ALT\" unit=\"ft\""}, "ALT 1000.0 ft"},
        {{"speedometer_indicated", "prefix=\"IAS\" unit=\"mps\" suffix=\"m/s\""}, "IAS 27.8 m/s"},
        {{"speedometer_indicated", "prefix=\"IAS\" unit=\"none\""}, "IAS -1.0"},
        {{"turn", "prefix=\"TRN\" unit=\"dgps\""}, "TRN 0.50 dgps"},
        {{"slip", "prefix=\"SLIP\" unit=\"dgps\""}, "SLIP -1.0 dgps"},
        {{"plane", "suffix=\"x\""}, " Bf 109"},
        {{"fuel", "prefix=\"F\""}, "F "},
        {{"fuel", "prefix=\"F\" suffix=\"l\""}, "F  l"},
        {{"variometer", "prefix=\"VS\""}, "VS -2.50 mps"}};
    std::vector<Line> lines;
    for (const auto& row : rows) {
        lines.push_back(row.first);
    }
    startWith(peer_.port(), lines);
    // Before any answer: the record's initial values.
    EXPECT_TRUE(waitForShown(1, 2, " PLANE"));
    EXPECT_TRUE(serve(peer_,
                      {{40, "304.0"}, {30, "100.0"}, {36, "0.5"}, {22, "Bf 109"}, {32, "-2.5"}},
                      [&] { return shownText(2, 2) == "VS -2.50 mps"; }));
    for (int i = 0; i < 9; ++i) {
        EXPECT_TRUE(waitForShown(i / 3, i % 3, rows[i].second, 2)) << i << ": " << rows[i].second;
    }
}

TEST_F(DisplayTest, FailingSetStringIsReportedAndRetried) {
    environment_["VIRTUALMFD_FAIL_SETSTRING"] = "1";
    startWith(peer_.port(), {{"altimeter", ""}});
    ASSERT_TRUE(waitUntil(10, [&] {
        std::string out = program().output();
        size_t first = out.find("setString failed. error : -2147467263\n");
        return first != std::string::npos &&
               out.find("setString failed. error : -2147467263\n", first + 1) != std::string::npos;
    }));
    EXPECT_NE(debugOutput().find("SetString returned hr = 80004001\n"), std::string::npos);
    EXPECT_TRUE(stillRunsAfter(0.2)) << "the program must go on";
}

struct DeviceFailure {
    const char* name;
    const char* variable;  // set to "1" in the environment, if any
    // Null: FLIGHTMFD_DISPLAY_LIBRARY names the virtual display. Else the
    // registry names this library ("": no entry) and the variable is cleared.
    const char* registered;
    const char* expectedOutput;  // the console line that the end brings
    const char* expectedDebug;   // the debugger output; null: the line naming the library
};

// Test names carry the case; the parameter prints as its name too.
void PrintTo(const DeviceFailure& c, std::ostream* out) {
    *out << c.name;
}

class DeviceFailureTest : public DisplayTest,
                          public ::testing::WithParamInterface<DeviceFailure> {};

TEST_P(DeviceFailureTest, EndsAfterTheKeyWait) {
    const DeviceFailure& c = GetParam();
    if (c.variable != nullptr) {
        environment_[c.variable] = "1";
    }
    if (c.registered != nullptr) {
        const std::string notHeld = registerLibrary(c.registered);
        if (!notHeld.empty()) {
            GTEST_SKIP() << notHeld;
        }
    }
    startWith(peer_.port(), {{"altimeter", ""}});
    EXPECT_EQ(exitStatus(), platform::kExitFailureStatus);
    // A worker thread, started before the display, may print its first line
    // after it, or under Wine a part of that line as the process ends.
    const std::string output = program().output();
    EXPECT_NE(("\n" + output).find("\n" + std::string(c.expectedOutput) + "\n"), std::string::npos)
        << output;
    EXPECT_EQ(output.find("Initialization MFD OK"), std::string::npos) << output;
    EXPECT_EQ(debugOutput(), c.expectedDebug != nullptr
                                 ? c.expectedDebug
                                 : "DirectOutput.dll filename : " + virtualDisplayPath() + "\n");
    // No page without a device.
    EXPECT_EQ(record().find("AddPage"), std::string::npos) << record();
}

const DeviceFailure kDeviceFailures[] = {
    {"NoRegistryEntry", nullptr, "", kInitializeFailedMessage, "GetDirectOutputFileName failed\n"},
    {"LibraryNotLoadable", nullptr, "/nonexistent/DirectOutput.so", kInitializeFailedMessage,
     "DirectOutput.dll filename : /nonexistent/DirectOutput.so\nLoadLibrary failed\n"},
    {"InitializeFails", "VIRTUALMFD_FAIL_INITIALIZE", nullptr, kInitializeFailedMessage, nullptr},
    {"NoDevice", "VIRTUALMFD_NO_DEVICE", nullptr, kNoDeviceMessage, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Device, DeviceFailureTest, ::testing::ValuesIn(kDeviceFailures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace testsupport
