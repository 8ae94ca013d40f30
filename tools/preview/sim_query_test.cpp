#include "tools/preview/sim_query.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "display/flight_values.h"
#include "platform/thread.h"
#include "tools/flightmfd_sim/simulator.h"
#include "tools/flightmfd_sim/udp_endpoint.h"
#include "tools/preview/preview.h"

namespace {

// A stand-in simulator on a free port of 127.0.0.1, answering on a thread of
// its own until the test ends.
class StandInSimulator {
  public:
    explicit StandInSimulator(SimulatorOptions options)
        : options_(std::move(options)), endpoint_(0) {
        thread_ = std::thread([this] { serve(endpoint_, options_, stop_); });
    }
    ~StandInSimulator() {
        stop_ = true;
        thread_.join();
    }
    uint16_t port() const { return endpoint_.port(); }

  private:
    SimulatorOptions options_;
    UdpEndpoint endpoint_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Generous: the answers come at once; the bound only ends a broken test.
constexpr int32_t kWaitMs = 10000;

// Asking ends once every value has its answer: a wait that outlasts the
// test's time limit would fail it.
TEST(SimQuery, EveryQueryOfTheProgramIsAnsweredByTheFlight) {
    StandInSimulator simulator{SimulatorOptions()};
    IL2Data data;
    SimAnswers answers;
    std::string error;
    ASSERT_TRUE(askSimulator(simulator.port(), 3600 * 1000, &data, &answers, &error)) << error;
    EXPECT_EQ(answers.asked, 21);
    EXPECT_EQ(answers.answered, 21);
    EXPECT_STREQ(data.plane, "Stand-in-Plane");
}

// Only what the program itself would take counts: an answer of at least
// its code and separator and at most its buffer, from the simulator's own port.
TEST(SimQuery, OnlyWhatTheProgramTakesCountsAsAnAnswer) {
    UdpEndpoint simulator(0);
    UdpEndpoint stranger(0);
    uint16_t previewPort = 0;
    std::thread answering([&] {
        char query[16];
        const Received first = simulator.receive(query, sizeof query, kWaitMs);
        ASSERT_EQ(first.status, ReceiveStatus::kDatagram);
        previewPort = first.from.port;
        ASSERT_TRUE(simulator.sendTo(first.from, "A/30", 4));
        ASSERT_TRUE(stranger.sendTo(first.from, "A/40\\1000", 9));
        ASSERT_TRUE(simulator.sendTo(first.from, "A/32\\2", 6));
        // The longest answer that the program reads whole.
        const std::string longest = "A/22\\" + std::string(1019, 'N');
        ASSERT_TRUE(simulator.sendTo(first.from, longest.data(), 1024));
    });
    IL2Data data;
    SimAnswers answers;
    std::string error;
    // Not every code is answered, so this waits the whole second.
    ASSERT_TRUE(askSimulator(simulator.port(), 1000, &data, &answers, &error)) << error;
    answering.join();
    EXPECT_TRUE(UdpEndpoint(previewPort).isOpen()) << "the preview's socket is left open";
    EXPECT_EQ(answers.answered, 2);
    EXPECT_EQ(std::string(data.plane), std::string(1019, 'N'));
    const auto bit = [](const char* name) { return valueBit(*flightValueNamed(name)); };
    EXPECT_EQ(
        answers.unanswered & (bit("speedometer_indicated") | bit("altimeter") | bit("variometer")),
        bit("speedometer_indicated") | bit("altimeter"));
    EXPECT_EQ(data.variometer, 2.0f);
    EXPECT_EQ(data.altimeter, 0.0f);
}

// The preview of `path` with the values of the simulator on `port` of
// 127.0.0.1, or with port 0 of the one that the file names.
int previewAsking(uint16_t port, std::string* out, const std::string& path = SAMPLE_CONFIG) {
    PreviewOptions options;
    options.configPath = path;
    options.values =
        port == 0 ? PreviewOptions::Values::kSimFromConfig : PreviewOptions::Values::kSimAtPort;
    options.simPort = port;
    std::string err;
    return runPreview(options, out, &err);
}

// What answered on the port, or why nothing did: nothing listens there (the
// system reports the port closed), or something listens and stays silent.
TEST(SimQuery, PreviewTellsAnswersFromAClosedPortFromASilentListener) {
    StandInSimulator standIn{SimulatorOptions()};
    UdpEndpoint silent(0);
    const uint16_t closed = UdpEndpoint(0).port();
    const auto at = [](uint16_t port) { return "127.0.0.1:" + std::to_string(port); };
    // The port asked, what the preview says, and what it does not.
    const std::tuple<uint16_t, std::vector<std::string>, const char*> cases[] = {
        {standIn.port(),
         {"Values: from " + at(standIn.port()) + " (21 of 21 queries answered)\n",
          "  line  8 | Stand-in-Plane |\n", "\nNo problems: "},
         "No answer for"},
        {closed,
         {"nothing listens on " + at(closed) +
          " (the port is closed).\nThe simulator is not running, or its conf.ini has no "
          "[DeviceLink] section with port=" +
          std::to_string(closed)},
         "something listens"},
        {silent.port(),
         {"something listens on " + at(silent.port()) + ", but nothing answered within 1 s.",
          "IPS line"},
         "nothing listens"},
    };
    for (const auto& [port, said, notSaid] : cases) {
        std::string out;
        EXPECT_EQ(previewAsking(port, &out), kExitSound) << out;
        for (const std::string& text : said) {
            EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
        }
        EXPECT_EQ(out.find(notSaid), std::string::npos) << out;
    }
}

// The program takes the simulator's "any address" as this computer, and so
// does the preview.
TEST(SimQuery, PreviewAsksThisComputerForAnyAddress) {
    StandInSimulator simulator{SimulatorOptions()};
    const std::string port = std::to_string(simulator.port());
    const std::filesystem::path config =
        std::filesystem::temp_directory_path() /
        ("flightmfd-any-address-" + std::to_string(platform::currentProcessId()) + ".xml");
    std::ofstream(config) << "<c><il2host ipAddress=\"0.0.0.0\" port=\"" << port
                          << "\"/><line>plane</line></c>";
    std::string out;
    previewAsking(0, &out, config.string());
    std::filesystem::remove(config);
    EXPECT_NE(out.find("Values: from 127.0.0.1:" + port + " (21 of 21 queries answered)\n"),
              std::string::npos)
        << out;
}

// As in online play: the plane's name and the controls answer, the instrument
// readings do not. The sample is still sound, and its lines that show an
// instrument reading are named and marked.
TEST(SimQuery, PreviewNamesTheValuesThatWentUnansweredAndTheLinesThatShowThem) {
    SimulatorOptions online;
    online.onlineSpells = {{0, 1e9}};
    StandInSimulator simulator{online};
    std::string out;
    EXPECT_EQ(previewAsking(simulator.port(), &out), kExitSound) << out;
    const std::string header =
        "Values: from 127.0.0.1:" + std::to_string(simulator.port()) +
        " (10 of 21 queries answered)\n"
        "No answer for speedometer_indicated, variometer, slip, turn, angular_speed, altimeter, "
        "azimuth, beacon_azimuth, roll, pitch, fuel (the simulator gives no instrument readings "
        "in online play or while a mission loads)\n"
        "Shown on lines 9, 10, 13, 14, 15, 18, 19, 25 (marked ?): speedometer_indicated, "
        "variometer, slip, turn, altimeter; the program would go on showing their last values "
        "there\n\n";
    EXPECT_NE(out.find(header), std::string::npos) << out;
    EXPECT_NE(out.find("  line  8 | Stand-in-Plane |\n"), std::string::npos) << out;
    EXPECT_NE(out.find("? line  9 |IAS 0.0 kmph    |\n"), std::string::npos) << out;
}

}  // namespace
