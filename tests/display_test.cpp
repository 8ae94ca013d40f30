// The whole system with the virtual display: what the display is told, and how
// each device failure ends or goes on.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "device/mfd.h"
#include "platform/process.h"
#include "tests/support/system_fixture.h"
#include "tools/flightmfd_sim/answers.h"
#include "tools/flightmfd_sim/udp_endpoint.h"

namespace testsupport {
namespace {

class DisplayTest : public SystemTest {
  protected:
    void startWith(const std::vector<Line>& lines) {
        writeConfig(configXml("127.0.0.1", std::to_string(peer_.port()), lines));
        start();
    }

    // Answers every query whose code is in `answers`, until `done` or timeout.
    template <typename Done>
    bool serve(const std::map<int, std::string>& answers, Done done) {
        return waitUntil(10, [&] {
            while (auto query = peer_.receive(10)) {
                auto it = answers.find(queryCode(*query));
                if (it != answers.end()) {
                    peer_.reply(answerFor(it->first, it->second));
                }
            }
            return done();
        });
    }

    std::vector<std::string> setStringCalls() const {
        std::vector<std::string> calls;
        for (const std::string& line : recordLines()) {
            if (line.rfind("SetString ", 0) == 0) {
                calls.push_back(line);
            }
        }
        return calls;
    }

    UdpEndpoint peer_{0};
};

TEST_F(DisplayTest, FourLinesMakeTwoPagesAndSixCallsAPass) {
    startWith({{"altimeter", ""}, {"slip", ""}, {"turn", ""}, {"flaps", ""}});
    ASSERT_TRUE(waitUntil(10, [&] { return setStringCalls().size() >= 12; }));
    std::string record = this->record();
    EXPECT_NE(record.find(" 1 \"PAGE01\" 0\n"), std::string::npos) << record;
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
    startWith({{"altimeter", "prefix=\"ALT\" unit=\"ft\""},
               {"speedometer_indicated", "prefix=\"IAS\" unit=\"mps\" suffix=\"m/s\""},
               {"speedometer_indicated", "prefix=\"IAS\" unit=\"none\""},
               {"turn", "prefix=\"TRN\" unit=\"dgps\""},
               {"slip", "prefix=\"SLIP\" unit=\"dgps\""},
               {"plane", "suffix=\"x\""},
               {"fuel", "prefix=\"F\""},
               {"fuel", "prefix=\"F\" suffix=\"l\""},
               {"variometer", "prefix=\"VS\""}});
    // Before any answer: the record's initial values.
    EXPECT_TRUE(waitForShown(1, 2, " PLANE"));
    EXPECT_TRUE(serve({{40, "304.0"}, {30, "100.0"}, {36, "0.5"}, {22, "Bf 109"}, {32, "-2.5"}},
                      [&] { return shownText(2, 2) == "VS -2.50 mps"; }));
    const std::vector<std::tuple<int, int, std::string>> expected = {{0, 0, "ALT 1000.0 ft"},
                                                                     {0, 1, "IAS 27.8 m/s"},
                                                                     {0, 2, "IAS -1.0"},
                                                                     {1, 0, "TRN 0.50 dgps"},
                                                                     {1, 1, "SLIP -1.0 dgps"},
                                                                     {1, 2, " Bf 109"},
                                                                     {2, 0, "F "},
                                                                     {2, 1, "F  l"},
                                                                     {2, 2, "VS -2.50 mps"}};
    for (const auto& [page, line, text] : expected) {
        EXPECT_TRUE(waitForShown(page, line, text, 2)) << page << "/" << line << ": " << text;
    }
}

TEST_F(DisplayTest, FailingSetStringIsReportedAndRetried) {
    environment_["VIRTUALMFD_FAIL_SETSTRING"] = "1";
    startWith({{"altimeter", ""}});
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
    startWith({{"altimeter", ""}});
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

INSTANTIATE_TEST_SUITE_P(
    Device, DeviceFailureTest,
    ::testing::Values(DeviceFailure{"NoRegistryEntry", nullptr, "", kInitializeFailedMessage,
                                    "GetDirectOutputFileName failed\n"},
                      DeviceFailure{"LibraryNotLoadable", nullptr, "/nonexistent/DirectOutput.so",
                                    kInitializeFailedMessage,
                                    "DirectOutput.dll filename : /nonexistent/DirectOutput.so\n"
                                    "LoadLibrary failed\n"},
                      DeviceFailure{"InitializeFails", "VIRTUALMFD_FAIL_INITIALIZE", nullptr,
                                    kInitializeFailedMessage, nullptr},
                      DeviceFailure{"NoDevice", "VIRTUALMFD_NO_DEVICE", nullptr, kNoDeviceMessage,
                                    nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace testsupport
