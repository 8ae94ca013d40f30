#include "tools/preview/sim_query.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "display/flight_values.h"
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

TEST(SimQuery, EveryQueryOfTheProgramIsAnsweredByTheFlight) {
    StandInSimulator simulator{SimulatorOptions()};
    IL2Data data;
    SimAnswers answers;
    std::string error;
    ASSERT_TRUE(askSimulator(simulator.port(), kWaitMs, &data, &answers, &error)) << error;
    EXPECT_EQ(answers.asked, 21);
    EXPECT_EQ(answers.answered, 21);
    EXPECT_STREQ(data.plane, "Stand-in-Plane");
}

TEST(SimQuery, AnswersGoThroughTheProgramsParserAndTheRestStaysAsNew) {
    SimulatorOptions options;
    options.fixedMode = true;
    options.fixedValues = {{22, "Yak-9"}, {30, "300.5"}, {40, "1000"}};
    StandInSimulator simulator{options};
    IL2Data data;
    SimAnswers answers;
    std::string error;
    // Only three of the codes are answered, so this waits the whole second.
    ASSERT_TRUE(askSimulator(simulator.port(), 1000, &data, &answers, &error)) << error;
    EXPECT_EQ(answers.answered, 3);
    EXPECT_STREQ(data.plane, "Yak-9");
    EXPECT_EQ(data.speedometer_indicated, 300.5f);
    EXPECT_EQ(data.altimeter, 1000.0f);
    EXPECT_EQ(data.variometer, 0.0f);
}

TEST(SimQuery, SilenceIsNoAnswerNotAnError) {
    uint16_t silentPort;
    {
        UdpEndpoint closed(0);
        silentPort = closed.port();
    }
    IL2Data data;
    SimAnswers answers;
    std::string error;
    ASSERT_TRUE(askSimulator(silentPort, 200, &data, &answers, &error)) << error;
    EXPECT_EQ(answers.answered, 0);
    EXPECT_STREQ(data.plane, "PLANE");
}

// The sample's preview with the values of the simulator on `port`.
int previewSample(uint16_t port, std::string* out) {
    PreviewOptions options;
    options.configPath = SAMPLE_CONFIG;
    options.values = PreviewOptions::Values::kSimAtPort;
    options.simPort = port;
    std::string err;
    return runPreview(options, out, &err);
}

TEST(SimQuery, PreviewShowsTheSimulatorsValues) {
    StandInSimulator simulator{SimulatorOptions()};
    std::string out;
    // The untouched sample against the untouched stand-in: nothing to mend.
    EXPECT_EQ(previewSample(simulator.port(), &out), kExitSound) << out;
    const std::string where = "127.0.0.1:" + std::to_string(simulator.port());
    EXPECT_NE(out.find("Values: from " + where + " (21 of 21 queries answered)\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("  line  8 | Stand-in-Plane |\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nNo problems: "), std::string::npos) << out;
}

// As in online play: the plane's name and the controls answer, the instrument
// readings do not. The sample is still sound, and its lines that show an
// instrument reading are named and marked.
TEST(SimQuery, PreviewNamesTheValuesThatWentUnansweredAndTheLinesThatShowThem) {
    SimulatorOptions online;
    online.onlineSpells = {{0, 1e9}};
    StandInSimulator simulator{online};
    std::string out;
    EXPECT_EQ(previewSample(simulator.port(), &out), kExitSound) << out;
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
