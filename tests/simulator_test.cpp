// The program against the simulator stand-in, flightmfd-sim, as a user runs them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/simulator_process.h"
#include "tests/support/system_fixture.h"
#include "tools/virtualmfd/record_reader.h"

namespace testsupport {
namespace {

class SimulatorTest : public SystemTest {};

// Tests and users read the port from its first line; --duration ends it.
TEST_F(SimulatorTest, TheStandInTellsItsPortAndEndsAfterItsDuration) {
    ChildProcess simulator(simulatorPath(), {"--port", "0", "--duration", "0.3"}, folder_.path(),
                           "sim");
    int status = -1;
    ASSERT_TRUE(simulator.waitForExit(30, &status));
    EXPECT_EQ(status, 0) << simulator.errors();
    unsigned port = 0;
    EXPECT_EQ(
        std::sscanf(simulator.output().c_str(), "flightmfd-sim answering on 127.0.0.1:%u\n", &port),
        1)
        << simulator.output();
    EXPECT_GT(port, 0u);
}

// The name comes as the simulator sends it, its slash and backslash escaped,
// and, on Linux, in UTF-8 as a terminal passes it: it shows as written.
#ifdef _WIN32
const char kName[] = "Spit/fire\\Mk";
#else
const char kName[] = "H\xC3\xB6he/Spit\\fire";
#endif

TEST_F(SimulatorTest, FixedValuesReachTheDisplay) {
    SimulatorProcess simulator({"--value", "30=123.4", "--value", std::string("22=") + kName});
    ASSERT_NE(simulator.port(), 0);
    startWith(simulator.port(), {{"speedometer_indicated", "prefix=\"IAS\""}, {"plane", ""}});
    EXPECT_TRUE(waitForShown(0, 0, "IAS 123.4 kmph"));
    EXPECT_TRUE(waitForShown(0, 1, std::string(" ") + kName)) << record();
}

// Where the system's code page is a double-byte one (Chinese here, code page
// 936), the simulator sends the aircraft's name in it, and config.xml gives
// prefixes in UTF-8: both reach the display as written, with the length of
// their wide text.
TEST_F(SimulatorTest, DoubleByteNamesAndUtf8PrefixesShowAsWritten) {
    const std::string noCodePage = noDoubleByteCodePage();
    if (!noCodePage.empty()) {
        GTEST_SKIP() << noCodePage;
    }
    // "Fighter" in GBK; read as UTF-8, it would be other characters.
    writeFile(folder_.file("values.txt"), "22 \xd5\xbd\xb6\xb7\xbb\xfa\n30 250\n40 1000\n");
    SimulatorProcess simulator({"--values", folder_.file("values.txt")});
    ASSERT_NE(simulator.port(), 0);
    startWith(simulator.port(),
              {{"plane", "prefix=\"\""},
               {"altimeter", "prefix=\"高度\" unit=\"m\""},
               {"speedometer_indicated", "prefix=\"速度\" unit=\"kmph\" suffix=\"公里\""}});
    for (const std::string line :
         {"SetString 0x1 0 0 4 \" 战斗机\"", "SetString 0x1 0 1 11 \"高度 1000.0 m\"",
          "SetString 0x1 0 2 11 \"速度 250.0 公里\""}) {
        EXPECT_TRUE(waitUntil(
            10, [&] { return ("\n" + record()).find("\n" + line + "\n") != std::string::npos; }))
            << line << "\n"
            << record();
    }
}

// The preview asks the stand-in once for the values of the sample, as a user
// checks a configuration, in a folder whose name (Lodz, with its Polish
// letters) the ANSI code page of Western Europe cannot spell.
TEST_F(SimulatorTest, ThePreviewShowsTheSamplesValuesFromTheStandIn) {
    SimulatorProcess simulator({});
    ASSERT_NE(simulator.port(), 0);
    const std::string folder = folder_.file("Łódź");
    std::filesystem::create_directory(std::filesystem::u8path(folder));
    writeFile(folder + "/config.xml", readFile(SAMPLE_CONFIG));
    ChildProcess preview(
        previewPath(),
        {"--sim", "127.0.0.1:" + std::to_string(simulator.port()), folder + "/config.xml"},
        folder_.path(), "preview");
    int status = -1;
    ASSERT_TRUE(preview.waitForExit(30, &status));
    const std::string output = preview.output();
    EXPECT_EQ(status, 0) << output << preview.errors();
    for (const std::string text : {"Łódź/config.xml: ", "| Stand-in-Plane |", "\nNo problems: "}) {
        EXPECT_NE(output.find(text), std::string::npos) << text << "\n" << output;
    }
}

// In online play the simulator gives no instrument readings while its other
// answers flow: one line names the values shown that stopped, none says
// that the simulator is silent, and one line tells when they answer again.
TEST_F(SimulatorTest, OnlinePlayNamesTheInstrumentValuesShown) {
    SimulatorProcess simulator({"--online", "0:4"});
    ASSERT_NE(simulator.port(), 0);
    startWith(simulator.port(), {{"plane", ""},
                                 {"speedometer_indicated", "prefix=\"IAS\""},
                                 {"flaps", "prefix=\"FLP\""},
                                 {"altimeter", "prefix=\"ALT\""}});
    const std::string missing =
        "No answer for speedometer_indicated, altimeter (the simulator gives no instrument "
        "readings in online play or while a mission loads)\n";
    ASSERT_TRUE(waitForOutput(missing)) << program().output();
    // Meanwhile the name and the controls are shown from the answers.
    EXPECT_TRUE(waitForShown(0, 0, " Stand-in-Plane"));
    EXPECT_TRUE(waitForShown(0, 2, "FLP 0.25"));
    const std::string again = "All shown values answering again\n";
    ASSERT_TRUE(waitForOutput(again)) << program().output();
    const std::string output = program().output();
    EXPECT_LT(output.find(missing), output.find(again));
    EXPECT_EQ(output.find("Simulator not answering"), std::string::npos) << output;
    EXPECT_EQ(output.find("No answer for", output.find(missing) + 1), std::string::npos) << output;
}

// A call of the record as the test below compares it: what follows the device
// handle, the text in quotes.
std::string describe(const virtualmfd::RecordedCall& c) {
    const std::string text = "\"" + c.text + "\"";
    return c.name == "AddPage" ? std::to_string(c.page) + " " + text + " " + std::to_string(c.flags)
                               : std::to_string(c.page) + " " + std::to_string(c.line) + " " +
                                     std::to_string(c.length) + " " + text;
}

TEST_F(SimulatorTest, EachReplugGetsTheWholeDisplayBack) {
    SimulatorProcess simulator(
        {"--value", "22=Yak-1", "--value", "30=250", "--value", "40=1000", "--value", "32=2.5"});
    ASSERT_NE(simulator.port(), 0);
    environment_["VIRTUALMFD_REPLUG_SECONDS"] = "1";
    environment_["VIRTUALMFD_RECORD_TIME"] = "1";
    environment_["VIRTUALMFD_RECORD_RESULT"] = "1";
    // Seven lines on three pages; page 2 ends in two lines of "***".
    startWith(simulator.port(), {{"plane", ""},
                                 {"speedometer_indicated", "prefix=\"IAS\""},
                                 {"altimeter", "prefix=\"ALT\""},
                                 {"speedometer_indicated", "prefix=\"IAS\" unit=\"kn\""},
                                 {"altimeter", "prefix=\"ALT\" unit=\"ft\""},
                                 {"variometer", "prefix=\"VS\""},
                                 {"plane", ""}});
    const std::vector<std::string> shown = {"0 0 6 \" Yak-1\"",
                                            "0 1 14 \"IAS 250.0 kmph\"",
                                            "0 2 12 \"ALT 1000.0 m\"",
                                            "1 0 12 \"IAS 135.0 kn\"",
                                            "1 1 13 \"ALT 3289.5 ft\"",
                                            "1 2 11 \"VS 2.50 mps\"",
                                            "2 0 6 \" Yak-1\"",
                                            "2 1 3 \"***\"",
                                            "2 2 3 \"***\""};
    // The simulator's values on the first device before the replugs are judged.
    ASSERT_TRUE(waitForShown(1, 2, "VS 2.50 mps"));
    std::this_thread::sleep_for(std::chrono::seconds(10));
    ASSERT_TRUE(stillRunsAfter(0)) << "the program must go on";
    program().kill();

    const std::vector<virtualmfd::RecordedCall> calls =
        virtualmfd::readRecord(folder_.file("record.txt"));
    int judged = 0;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].name != "DeviceChange" || calls[i].text != "added" ||
            calls[i].timeMs + 250 > calls.back().timeMs) {
            continue;
        }
        // Every call to the arrived device, up to 250 ms after its arrival.
        const std::string device = calls[i].device;
        const double arrival = calls[i].timeMs;
        std::vector<std::string> pages;
        std::set<std::string> texts;
        for (size_t j = i + 1; j < calls.size() && calls[j].timeMs <= arrival + 250; ++j) {
            const virtualmfd::RecordedCall& c = calls[j];
            if (c.device != device || c.name == "DeviceChange") {
                continue;
            }
            EXPECT_EQ(c.result, "00000000") << c.name << " " << device << " " << describe(c);
            if (c.name == "AddPage") {
                EXPECT_TRUE(texts.empty()) << "pages come before texts";
                pages.push_back(describe(c));
            } else if (c.name == "SetString") {
                texts.insert(describe(c));
            }
        }
        EXPECT_EQ(pages,
                  (std::vector<std::string>{"0 \"PAGE00\" 1", "1 \"PAGE01\" 0", "2 \"PAGE02\" 0"}))
            << "arrival of " << device;
        for (const std::string& text : shown) {
            EXPECT_EQ(texts.count(text), 1u) << "arrival of " << device << ": " << text;
        }
        ++judged;
    }
    // Unplugged every second for half a second: six arrivals or so in 10 s.
    EXPECT_GE(judged, 5);
}

}  // namespace
}  // namespace testsupport
