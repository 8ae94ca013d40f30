#include "tools/flightmfd_sim/simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "display/flight_values.h"
#include "tools/flightmfd_sim/flight_model.h"

namespace {

constexpr int kGenerousMs = 10000;

// The stand-in serving on a thread of the test, and a client socket that
// talks to it.
class ServedSimulator {
  public:
    explicit ServedSimulator(const SimulatorOptions& options) : server_(0), client_(0) {
        EXPECT_TRUE(server_.isOpen() && client_.isOpen());
        to_ = loopbackPeer(server_.port());
        thread_ = std::thread([this, options] { served_ = serve(server_, options, stop_); });
    }
    ~ServedSimulator() {
        stop_ = true;
        thread_.join();
        EXPECT_TRUE(served_) << "the socket failed";
    }

    const UdpPeer& address() const { return to_; }

    void ask(const std::string& query) {
        ASSERT_TRUE(client_.sendTo(to_, query.data(), static_cast<int>(query.size())));
    }
    std::string answer() {
        char buffer[2048];
        Received received = client_.receive(buffer, sizeof buffer, kGenerousMs);
        if (received.status != ReceiveStatus::kDatagram) {
            ADD_FAILURE() << "no answer";
            return "<none>";
        }
        EXPECT_EQ(received.from.port, to_.port);
        return std::string(buffer, static_cast<size_t>(received.length));
    }

  private:
    UdpEndpoint server_;
    UdpEndpoint client_;
    UdpPeer to_;
    std::atomic<bool> stop_{false};
    bool served_ = false;
    std::thread thread_;
};

TEST(FlightmfdSim, FlightAnswersEveryQueryInTheAnswerLayout) {
    ServedSimulator simulator{SimulatorOptions{}};
    for (const FlightValue& value : kFlightValues) {
        simulator.ask(value.query);
    }
    for (const FlightValue& value : kFlightValues) {
        std::string answer = simulator.answer();
        ASSERT_GT(answer.size(), 5u) << answer;
        EXPECT_EQ(answer.substr(0, 5), std::string(value.answer) + "\\");
        if (isText(value)) {
            EXPECT_EQ(answer.substr(5), "Stand-in-Plane");
        } else {
            char* end = nullptr;
            std::strtod(answer.c_str() + 5, &end);
            EXPECT_EQ(*end, '\0') << "not a number alone: " << answer;
        }
    }
}

TEST(FlightmfdSim, WhatIsNotAQueryOfAKnownCodeGetsNoAnswer) {
    ServedSimulator simulator{SimulatorOptions{}};
    for (const char* notAnswered : {"R/90", "R/52", "R/3", "R/300", "X/30", "r/30", "R/3a", ""}) {
        simulator.ask(notAnswered);
    }
    simulator.ask("R/40");
    // Datagrams from one socket arrive in order on 127.0.0.1: had any of the
    // others been answered, its answer would come first.
    EXPECT_EQ(simulator.answer().substr(0, 5), "A/40\\");
}

TEST(FlightmfdSim, GoesOnAfterTooLongDatagramsAndClientsThatLeft) {
    // Windows reports a datagram longer than the buffer as a failed receive,
    // and so may Wine the "port unreachable" answer to a reply sent to a
    // client that has closed its socket; neither may end the stand-in.
    ServedSimulator simulator{SimulatorOptions{}};
    simulator.ask(std::string(200, 'R'));
    for (int client = 0; client < 3; ++client) {
        UdpEndpoint gone(0);
        ASSERT_TRUE(gone.isOpen());
        ASSERT_TRUE(gone.sendTo(simulator.address(), "R/30", 4));
    }
    simulator.ask("R/40");
    EXPECT_EQ(simulator.answer().substr(0, 5), "A/40\\");
}

TEST(FlightmfdSim, FixedModeAnswersOnlyTheGivenCodesWithTheirText) {
    SimulatorOptions options;
    options.fixedMode = true;
    options.fixedValues = {{30, "123.45"}, {22, "Test/pl\\ane\n"}, {98, ""}};
    ServedSimulator simulator{options};
    for (const char* query : {"R/32", "R/30", "R/40", "R/22", "R/98", "R/30"}) {
        simulator.ask(query);
    }
    EXPECT_EQ(simulator.answer(), "A/30\\123.45");
    // The simulator's framing characters are escaped.
    EXPECT_EQ(simulator.answer(), "A/22\\Test\\/pl\\\\ane\n");
    EXPECT_EQ(simulator.answer(), "A/98\\");
    EXPECT_EQ(simulator.answer(), "A/30\\123.45");
}

TEST(FlightmfdSim, SpellsCountFromTheFirstQuery) {
    const std::vector<Spell> spells = {{2, 3}, {10, 0.5}};
    const std::pair<double, bool> cases[] = {{0, false}, {1.99, false}, {2, true},  {4.99, true},
                                             {5, false}, {9.99, false}, {10, true}, {10.5, false}};
    for (const auto& [sinceFirstQuery, silent] : cases) {
        EXPECT_EQ(inSpell(spells, sinceFirstQuery), silent) << sinceFirstQuery;
    }
    EXPECT_FALSE(inSpell({}, 0));
}

TEST(FlightmfdSim, QueriesInASilentSpellGetNoAnswer) {
    SimulatorOptions options;
    options.silentSpells = {{0, 0.3}};
    ServedSimulator simulator{options};
    simulator.ask("R/30");
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    simulator.ask("R/40");
    // Had the first query been answered, its answer would come first.
    EXPECT_EQ(simulator.answer().substr(0, 5), "A/40\\");
}

TEST(UdpEndpoint, SendsOnlyToThisMachineAndRepliesOnlyToASender) {
    UdpEndpoint endpoint(0);
    UdpEndpoint client(0);
    ASSERT_TRUE(endpoint.isOpen() && client.isOpen());
    EXPECT_FALSE(endpoint.reply("A/30\\1")) << "nothing has been received yet";
    // 10.9.0.2: refused before any socket call, so nothing leaves this machine.
    EXPECT_FALSE(endpoint.sendTo(UdpPeer{0x0A090002, client.port()}, "A/30\\1", 6));
    ASSERT_TRUE(client.sendTo(loopbackPeer(endpoint.port()), "R/30", 4));
    EXPECT_EQ(endpoint.receive(kGenerousMs).value_or("<none>"), "R/30");
    EXPECT_EQ(endpoint.lastSender()->port, client.port());
    ASSERT_TRUE(endpoint.reply("A/30\\1"));
    EXPECT_EQ(client.receive(kGenerousMs).value_or("<none>"), "A/30\\1");
    // One that does not fit says so, and is not taken for a shorter one.
    ASSERT_TRUE(client.sendTo(loopbackPeer(endpoint.port()), "R/30 and more", 13));
    char query[4];
    EXPECT_EQ(endpoint.receive(query, sizeof query, kGenerousMs).length, 5);
}

TEST(FlightModel, ValuesStayPlausibleThroughTheLoopAndRepeat) {
    // Each code with the lowest and the highest value it may take.
    const std::tuple<int, double, double> kRanges[] = {
        {30, 0, 400},  {32, -30, 30}, {34, -2, 2},  {36, -1, 1},   {38, -10, 10},
        {40, 0, 2000}, {42, 0, 360},  {44, 0, 360}, {46, -45, 45}, {48, -15, 15},
        {50, 0, 100},  {80, 0, 110},  {82, 0, 1},   {84, -1, 1},   {86, -1, 1},
        {88, -1, 1},   {92, 0, 100},  {94, -1, 1},  {96, -1, 1},   {98, -1, 1},
    };
    for (const auto& [code, lowest, highest] : kRanges) {
        for (double t = 0; t < kFlightLoopSeconds; t += 0.25) {
            std::string text;
            std::string again;
            ASSERT_TRUE(flightValue(code, t, &text)) << code;
            ASSERT_TRUE(flightValue(code, t + kFlightLoopSeconds, &again));
            double value = std::strtod(text.c_str(), nullptr);
            EXPECT_TRUE(value >= lowest && value <= highest)
                << "code " << code << " at " << t << " s: " << text;
            EXPECT_EQ(text, again) << "code " << code << " at " << t << " s";
        }
    }
}

}  // namespace
