// The program against a simulator of the test's own, over real UDP sockets on
// 127.0.0.1: start-up lines, queries, answers, a simulator that comes and goes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/startup.h"
#include "config/configuration.h"
#include "config/xml_reader.h"
#include "display/flight_values.h"
#include "platform/process.h"
#include "platform/sockets.h"
#include "simlink/il2connection.h"
#include "tests/support/system_fixture.h"
#include "tools/flightmfd_sim/answers.h"
#include "tools/flightmfd_sim/udp_endpoint.h"

namespace testsupport {
namespace {

class LinkTest : public SystemTest {
  protected:
    UdpEndpoint peer_{0};
};

TEST_F(LinkTest, StartupLinesComeInTheirOrder) {
    startWith(peer_.port(), {{"altimeter", "prefix=\"ALT\""}});
    ASSERT_TRUE(waitForOutput("refreshMFDThread started"));
    ASSERT_TRUE(waitForOutput("refreshMFDThread : "));
    std::string port = std::to_string(peer_.port());
    std::string pid = std::to_string(program().pid());
    const std::vector<std::string> mainLines = {
        "main : \\[pid : " + pid + "\\] \\[tid : (\\d+)\\]",
        "il2IPAddress : 127\\.0\\.0\\.1, il2Port : " + port,
        "Socket connected to server \\[127\\.0\\.0\\.1 : " + port + "\\]",
        "askDataThread started : \\[tid : (\\d+)\\]",
        "recDataThread started : \\[tid : (\\d+)\\]",
        "refreshIL2DisplayThread started : \\[tid : (\\d+)\\]",
        "Initialization MFD OK",
        "refreshMFDThread started : \\[tid : (\\d+)\\]"};
    std::vector<std::string> lines = splitLines(program().output());
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(mainLines[0]))) << lines[0];

    size_t next = 0;
    for (const std::string& line : lines) {
        std::smatch match;
        if (next < mainLines.size() && std::regex_match(line, match, std::regex(mainLines[next]))) {
            if (match.size() > 1) {
                // Each id is that of a thread of this process; a worker's own
                // line carries the id that the main thread printed for it.
                EXPECT_TRUE(program().ownsThread(std::stol(match[1].str()))) << line;
                const size_t started = line.find(" started");
                if (started != std::string::npos) {
                    EXPECT_NE(program().output().find(line.substr(0, started) +
                                                      " : [tid : " + match[1].str() + "]"),
                              std::string::npos);
                }
            }
            ++next;
        }
    }
    EXPECT_EQ(next, mainLines.size()) << program().output();
}

TEST_F(LinkTest, QueriesGoOutInBatchesOfTwentyOneFourByteDatagrams) {
    ASSERT_EQ(kFlightValueCount, 21);
    startWith(peer_.port(), {});
    // The peer listens before the program starts, so it sees the first batch whole.
    for (int i = 0; i < 2 * 21; ++i) {
        std::optional<std::string> datagram = peer_.receive(10000);
        ASSERT_TRUE(datagram.has_value());
        EXPECT_EQ(datagram->size(), 4u);
        EXPECT_EQ(*datagram, kFlightValues[i % 21].query) << "datagram " << i;
    }
}

TEST_F(LinkTest, AnswersAreTakenInArrivalOrder) {
    startWith(peer_.port(), {{"speedometer_indicated", "prefix=\"IAS\""}});
    ASSERT_TRUE(peer_.receive(10000).has_value());
    peer_.reply("");  // a datagram of 0 bytes is an answer like any other
    for (int i = 1; i <= 50; ++i) {
        peer_.reply(answerFor(30, std::to_string(i)));
    }
    EXPECT_TRUE(waitForShown(0, 0, "IAS 50.0 kmph"));
    EXPECT_TRUE(stillRunsAfter(0.5)) << "the program must still run";
}

TEST_F(LinkTest, PortAbove32767IsPrintedUnsigned) {
    startWith(65535, {});
    EXPECT_TRUE(waitForOutput("il2IPAddress : 127.0.0.1, il2Port : 65535\n"));
    EXPECT_TRUE(waitForOutput("Socket connected to server [127.0.0.1 : 65535]\n"));
}

TEST_F(LinkTest, ValuesFlowOnceTheSimulatorStartsAndAfterItRestarts) {
    const uint16_t port = UdpEndpoint(0).port();
    startWith(port, {{"speedometer_indicated", "prefix=\"IAS\""}});
    ASSERT_TRUE(waitForOutput("Socket connected"));
    std::this_thread::sleep_for(std::chrono::milliseconds(600));  // queries meet a closed port

    for (int value : {123, 456}) {
        UdpEndpoint simulator(port);
        ASSERT_TRUE(simulator.isOpen());
        const std::string expected = "IAS " + std::to_string(value) + ".0 kmph";
        EXPECT_TRUE(serve(simulator, {{30, std::to_string(value)}},
                          [&] { return shownText(0, 0) == expected; }))
            << "value " << value;
        // The simulator goes away; the program keeps polling a closed port.
    }
    EXPECT_TRUE(stillRunsAfter(0.5)) << program().errors();
    EXPECT_EQ(program().errors(), "");
}

TEST_F(LinkTest, LongConfigurationIsCutAndStillRuns) {
    // Past kConfigReadLimit bytes the document is cut; the cut document still
    // starts the program, with only the lines read before the cut.
    std::string xml =
        configXml("127.0.0.1", std::to_string(peer_.port()),
                  {{"altimeter", "prefix=\"ALT\""}, {"speedometer_indicated", "prefix=\"IAS\""}});
    xml.insert(xml.find("  <line prefix=\"IAS\""),
               "  <!-- " + std::string(kConfigReadLimit, 'x') + " -->\n");
    writeConfig(xml);
    start();
    EXPECT_TRUE(waitForShown(0, 0, "ALT 0.0 m"));
    EXPECT_TRUE(waitForShown(0, 1, "***"));
}

struct FatalStart {
    const char* name;
    const char* config;         // null: no config.xml at all
    std::string expectedError;  // without the line feed
};

// Test names carry the case; the parameter prints as its name too.
void PrintTo(const FatalStart& c, std::ostream* out) {
    *out << c.name;
}

class FatalStartTest : public SystemTest, public ::testing::WithParamInterface<FatalStart> {};

TEST_P(FatalStartTest, EndsWithItsMessage) {
    const FatalStart& c = GetParam();
    if (c.config != nullptr) {
        writeConfig(c.config);
    }
    start();
    EXPECT_EQ(exitStatus(), platform::kExitFailureStatus);
    EXPECT_EQ(program().errors(), c.expectedError + "\n");
    EXPECT_EQ(program().output().find("Socket connected"), std::string::npos);
}

const FatalStart kFatalStarts[] = {
    {"Malformed", "<a><b></a>", std::string(kParseErrorHeading) + "\nmismatched tag"},
    {"Empty", "", std::string(kParseErrorHeading) + "\nno element found"},
    {"AddressTooLong", "<c><il2host ipAddress=\"127.000.000.0001\" port=\"1\"/></c>",
     addressTooLongMessage("127.000.000.0001")},
    {"NoPort", "<c><il2host ipAddress=\"127.0.0.1\"/></c>", noPortMessage()},
    {"HostName", "<c><il2host ipAddress=\"localhost\" port=\"1\"/></c>",
     cannotResolveMessage("localhost", platform::systemSockets().hostNotFoundError())},
    {"NoHost", "<c/>", noPortMessage()},
};

INSTANTIATE_TEST_SUITE_P(Startup, FatalStartTest, ::testing::ValuesIn(kFatalStarts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SystemTest, MissingConfigNamesTheFolderAndAHiddenTextExtension) {
    const std::string folder = std::filesystem::canonical(folder_.path()).string();
    for (bool textFile : {false, true}) {
        if (textFile) {
            writeFile(folder_.file(std::string(kConfigFileName) + ".txt"), "<flightmfd/>");
        }
        start();
        EXPECT_EQ(exitStatus(), platform::kExitFailureStatus);
        EXPECT_EQ(program().errors(),
                  cannotOpenConfigMessage("No such file or directory", folder, textFile) + "\n");
    }
}

// POSIX opens a folder and fails at its first read; Windows does not open one.
TEST_F(SystemTest, AFolderInPlaceOfTheConfigEndsTheProgram) {
    std::filesystem::create_directory(folder_.file(kConfigFileName));
    start();
    EXPECT_EQ(exitStatus(), platform::kExitFailureStatus);
#ifdef _WIN32
    const std::string expected = cannotOpenConfigMessage(
        "Permission denied", std::filesystem::canonical(folder_.path()).string(), false);
#else
    const std::string expected = kReadErrorMessage;
#endif
    EXPECT_EQ(program().errors(), expected + "\n");
}

}  // namespace
}  // namespace testsupport
