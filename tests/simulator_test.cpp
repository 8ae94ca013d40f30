// The program against the simulator stand-in, flightmfd-sim, as a user runs them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/simulator_process.h"
#include "tests/support/system_fixture.h"

namespace testsupport {
namespace {

class SimulatorTest : public SystemTest {
  protected:
    // Starts the stand-in on a free port and returns that port.
    uint16_t startSimulator(const std::vector<std::string>& arguments) {
        simulator_ = std::make_unique<SimulatorProcess>(arguments);
        return simulator_->port();
    }

    std::unique_ptr<SimulatorProcess> simulator_;
};

TEST_F(SimulatorTest, FixedValuesReachTheDisplay) {
    uint16_t port = startSimulator({"--value", "30=123.4", "--value", "22=Spitfire"});
    ASSERT_NE(port, 0);
    writeConfig(configXml("127.0.0.1", std::to_string(port),
                          {{"speedometer_indicated", "prefix=\"IAS\""}, {"plane", ""}}));
    start();
    EXPECT_TRUE(waitForShown(0, 0, "IAS 123.4 kmph"));
    EXPECT_TRUE(waitForShown(0, 1, " Spitfire"));
}

TEST_F(SimulatorTest, TheLoopingFlightMovesTheValues) {
    uint16_t port = startSimulator({});
    ASSERT_NE(port, 0);
    writeConfig(configXml("127.0.0.1", std::to_string(port),
                          {{"plane", ""}, {"speedometer_indicated", "prefix=\"IAS\""}}));
    start();
    ASSERT_TRUE(waitUntil(10, [&] {
        auto name = shownText(0, 0);
        return name && *name != " PLANE";
    }));
    auto first = shownText(0, 1);
    EXPECT_TRUE(waitUntil(10, [&] { return shownText(0, 1) != first; })) << *first;
}

}  // namespace
}  // namespace testsupport
