#include "tools/flightmfd_sim/options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "display/flight_values.h"

namespace {

ParseResult parse(std::vector<const char*> arguments, SimulatorOptions* options) {
    arguments.insert(arguments.begin(), "flightmfd-sim");
    std::string error;
    return parseOptions(static_cast<int>(arguments.size()), arguments.data(), options, &error);
}

TEST(Options, CommandLines) {
    SimulatorOptions options;
    ASSERT_EQ(parse({}, &options), ParseResult::kRun);
    EXPECT_EQ(options.port, 20010);
    EXPECT_FALSE(options.fixedMode);

    ASSERT_EQ(
        parse({"--port", "0", "--duration", "2.5", "--value", "22=A plane=B", "--value", "30="},
              &options),
        ParseResult::kRun);
    EXPECT_EQ(options.port, 0);
    EXPECT_EQ(options.durationSeconds, 2.5);
    EXPECT_TRUE(options.fixedMode);
    EXPECT_EQ(options.fixedValues, (std::map<int, std::string>{{22, "A plane=B"}, {30, ""}}));

    SimulatorOptions silent;
    ASSERT_EQ(parse({"--silent", "2:3", "--silent", "0:0.5"}, &silent), ParseResult::kRun);
    ASSERT_EQ(silent.silentSpells.size(), 2u);
    EXPECT_EQ(silent.silentSpells[0].start, 2.0);
    EXPECT_EQ(silent.silentSpells[0].seconds, 3.0);
    EXPECT_EQ(silent.silentSpells[1].start, 0.0);
    EXPECT_EQ(silent.silentSpells[1].seconds, 0.5);

    // Without a spell, online play lasts the whole run.
    SimulatorOptions online;
    ASSERT_EQ(parse({"--online", "1:2", "--online", "--port", "0"}, &online), ParseResult::kRun);
    ASSERT_EQ(online.onlineSpells.size(), 2u);
    EXPECT_EQ(online.onlineSpells[0].start + online.onlineSpells[0].seconds, 3.0);
    EXPECT_GT(online.onlineSpells[1].seconds, 1e9);

    EXPECT_EQ(parse({"--help"}, &options), ParseResult::kHelp);
    // An option with a wrong value, or without the one it needs (null).
    const char* const wrongs[][2] = {
        {"--port", nullptr}, {"--port", "65536"},          {"--port", "-1"},
        {"--port", "12x"},   {"--duration", "0"},          {"--duration", "x"},
        {"--value", "30"},   {"--value", "3=1"},           {"--value", "300=1"},
        {"--value", "ab=1"}, {"--values", "/nonexistent"}, {"--silent", "2"},
        {"--silent", "2:"},  {"--silent", "2:0"},          {"--silent", "-1:3"},
        {"--silent", "x:3"}, {"--silent", "2:3x"},         {"--online", "2"},
        {"--speed", "1"},
    };
    for (const auto& wrong : wrongs) {
        SimulatorOptions unused;
        EXPECT_EQ(parse({wrong, wrong + (wrong[1] ? 2 : 1)}, &unused), ParseResult::kError)
            << wrong[0];
    }
}

TEST(Options, ValuesFile) {
    std::string path = ::testing::TempDir() + "flightmfd_sim_values.txt";
    std::ofstream(path) << "# aircraft and speed\n"
                           "22 Stand-in  plane\r\n\n"
                           "30\t250.5\n98\n";
    SimulatorOptions options;
    ASSERT_EQ(parse({"--values", path.c_str()}, &options), ParseResult::kRun);
    EXPECT_TRUE(options.fixedMode);
    EXPECT_EQ(options.fixedValues,
              (std::map<int, std::string>{{22, "Stand-in  plane"}, {30, "250.5"}, {98, ""}}));

    std::ofstream(path) << "30 1\nspeed 2\n";
    SimulatorOptions bad;
    EXPECT_EQ(parse({"--values", path.c_str()}, &bad), ParseResult::kError);
    std::remove(path.c_str());
}

TEST(Options, HelpListsEveryCodeThatTheProgramAsksForWithItsValueName) {
    const std::string help = usageText();
    EXPECT_NE(help.find(" 22 plane "), std::string::npos) << help;
    EXPECT_NE(help.find(" 30 speedometer_indicated "), std::string::npos) << help;
    for (const FlightValue& value : kFlightValues) {
        const std::string entry = " " + std::to_string(value.code) + " " + value.name;
        const size_t at = help.find(entry);
        ASSERT_NE(at, std::string::npos) << entry;
        const char after = help[at + entry.size()];
        EXPECT_TRUE(after == ' ' || after == '\n') << entry;
    }
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 80u) << line;
    }
}

}  // namespace
