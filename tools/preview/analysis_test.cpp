#include "tools/preview/analysis.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/sockets.h"
#include "simlink/il2connection.h"

namespace {

Analysis analyseFile(const std::string& path) {
    ConfigSource source;
    std::string error;
    EXPECT_TRUE(readConfigSource(path, &source, &error)) << error;
    return analyseSource(source);
}

Analysis analyseText(const std::string& text) {
    ConfigSource source;
    source.bytes = text;
    return analyseSource(source);
}

struct BrokenFile {
    const char* name;
    Findings expected;
};

void PrintTo(const BrokenFile& file, std::ostream* os) {
    *os << file.name;
}

class BrokenConfiguration : public ::testing::TestWithParam<BrokenFile> {};

TEST_P(BrokenConfiguration, FindsEachProblemOnItsLine) {
    const Analysis analysis =
        analyseFile(std::string(PREVIEW_TESTDATA) + "/" + GetParam().name + ".xml");
    ASSERT_EQ(analysis.state, Analysis::State::kRead);
    const Findings& expected = GetParam().expected;
    ASSERT_EQ(analysis.findings.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(analysis.findings[i].line, expected[i].line) << expected[i].message;
        EXPECT_EQ(analysis.findings[i].message, expected[i].message);
        EXPECT_EQ(analysis.findings[i].stops, expected[i].stops) << expected[i].message;
    }
}

std::string unknownName(const std::string& name, const std::string& guess) {
    return "unknown value name \"" + name + "\": the line shows no value; did you mean \"" + guess +
           "\"? (names match exactly, letter case and blanks included)";
}
std::string notShownIn(const std::string& name, const std::string& unit, const char* units) {
    return name + " cannot be shown in \"" + unit +
           "\": the line would show -1.0; it can be shown in " + units;
}
std::string badPort(const std::string& text, int programPort) {
    return "port \"" + text + "\" is not a number from 1 to 65535: the program would use " +
           std::to_string(programPort);
}
const char kAnotherHost[] =
    "another <il2host> (the first is on line 3): what it gives replaces the earlier values";
const std::string kUnitList = "; units are none, kmph, mps, dg, dgps, m, km, kn, mph, ft";
std::string notAnAddress(const std::string& address) {
    return "ipAddress \"" + address +
           "\" is not an IPv4 address such as 127.0.0.1 (four numbers from 0 to 255, dots "
           "between; not a name)";
}
const int kHostNotFound = platform::systemSockets().hostNotFoundError();
std::string stops(const std::string& message) {
    return ": the program stops at start-up with \"" + message + "\"";
}
const std::string kNoHost =
    "no <il2host ipAddress=\"...\" port=\"...\"/>, which gives the simulator's address and port" +
    stops(noPortMessage());

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenConfiguration,
    ::testing::Values(
        BrokenFile{"names",
                   {{5, unknownName("Altimeter", "altimeter")},
                    {6, unknownName("altimeter ", "altimeter")},
                    {7,
                     "value \"fuel\" comes from the simulator but cannot be shown: the line "
                     "shows no value"},
                    {8, unknownName("speed", "speedometer_indicated")},
                    {9, "<line> has no value name: it shows only its prefix"},
                    {10,
                     "unknown value name \"qnh\": the line shows no value; value names are "
                     "plane, speedometer_indicated, variometer, slip, turn, altimeter, flaps, "
                     "aileron, propPitch, aileronTrim, elevatorTrim, rudderTrim"}}},
        BrokenFile{
            "units",
            {{5, "unknown unit \"KMPH\": the line would show -1.0; did you mean \"kmph\"?"},
             {6, notShownIn("speedometer_indicated", "km", "kmph, mps, kn, mph")},
             {7, notShownIn("altimeter", "none", "m, km, ft")},
             {8, notShownIn("slip", "dgps", "dg")},
             {9, "unknown unit \"fpm\": the line would show -1.00" + kUnitList},
             {10, "unknown unit \"rate\": the value shows without a unit label" + kUnitList}}},
        BrokenFile{"plane",
                   {{4, "a \"plane\" line never shows its suffix \"aircraft\""},
                    {5,
                     "a \"plane\" line shows the aircraft's name: its unit \"kmph\" is not "
                     "used"}}},
        BrokenFile{"no_host", {{2, kNoHost, true}}},
        BrokenFile{
            "bad_host",
            {{3, notAnAddress("127.0.0")},
             {3, badPort("20010x", 20010)},
             {5, kAnotherHost},
             {5, badPort("70000", 4464)},
             {6, kAnotherHost},
             {6,
              notAnAddress("192.168.100.200.1") + stops(addressTooLongMessage("192.168.100.200.1")),
              true}}},
        BrokenFile{"host_without_port",
                   {{3, "<il2host> gives no port" + stops(noPortMessage()), true}}},
        BrokenFile{"host_without_address",
                   {{3,
                     "<il2host> gives no ipAddress, the simulator's address" +
                         stops(cannotResolveMessage("", kHostNotFound)),
                     true}}},
        BrokenFile{"ignored",
                   {{2, "attribute \"version\" of <flightmfd> is ignored"},
                    {3, "attribute \"Port\" of <il2host> is ignored; did you mean \"port\"?"},
                    {3, "text \"local\" inside <il2host> is ignored"},
                    {4, "<Line> is ignored, with everything inside it; did you mean <line>?"},
                    {5,
                     "<page> is ignored, with everything inside it (2 <line> elements that "
                     "are not shown: lines belong directly inside the root element)"},
                    {9, "attribute \"Unit\" of <line> is ignored; did you mean \"unit\"?"},
                    {10,
                     "<b> inside <line> is ignored, with its text, which is not part of the "
                     "value name"},
                    {11, "text \"altimeter\" outside any <line> is ignored"}}},
        BrokenFile{"root_is_line",
                   {{1,
                     "the root element <line> is not read as one: only the elements inside "
                     "the root are"},
                    {1, kNoHost, true},
                    {1, "no <line> elements: the display would stay empty"}}}),
    [](const ::testing::TestParamInfo<BrokenFile>& info) { return std::string(info.param.name); });

TEST(Analysis, SoundFileHasNoFindingsAndKeepsTheProgramsReading) {
    const Analysis analysis = analyseFile(SAMPLE_CONFIG);
    EXPECT_TRUE(analysis.findings.empty());
    EXPECT_EQ(analysis.address, "127.0.0.1");
    EXPECT_EQ(analysis.port, 20010);
    ASSERT_EQ(analysis.tokens.size(), 15u);
    EXPECT_STREQ(analysis.tokens[1].valueName, "speedometer_indicated");
    EXPECT_EQ(analysis.tokenLines.front(), 8);
    EXPECT_EQ(analysis.tokenLines.back(), 30);
}

TEST(Analysis, ValueNameWithNestedElementJoinsItsPiecesAsTheProgramDoes) {
    // The program reads "alti" and "meter" around the ignored element as one name.
    const Analysis analysis = analyseText(
        "<c>\n<il2host ipAddress=\"127.0.0.1\" port=\"1\"/>\n<line>alti<x/>meter</line>\n</c>");
    ASSERT_EQ(analysis.tokens.size(), 1u);
    EXPECT_STREQ(analysis.tokens[0].valueName, "altimeter");
    ASSERT_EQ(analysis.findings.size(), 1u);
    EXPECT_EQ(analysis.findings[0].line, 3);
}

TEST(Analysis, PortsThatTheProgramWouldReadAsAnotherNumber) {
    // The port's text and the number that the program reads in it; -1: sound, no finding.
    const std::pair<const char*, int> cases[] = {
        {"20010", -1}, {" 20010 ", -1}, {"65535", -1}, {"1", -1}, {"0", 0},
        {"-1", 65535}, {"65536", 0},    {"abc", 0},    {"", 0},   {"2001O", 2001},
    };
    for (const auto& [port, programPort] : cases) {
        const Analysis analysis =
            analyseText(std::string("<c>\n<il2host ipAddress=\"127.0.0.1\" port=\"") + port +
                        "\"/>\n<line>altimeter</line>\n</c>");
        if (programPort < 0) {
            EXPECT_TRUE(analysis.findings.empty()) << port;
            continue;
        }
        ASSERT_EQ(analysis.findings.size(), 1u) << port;
        EXPECT_EQ(analysis.findings[0].line, 2);
        EXPECT_EQ(analysis.findings[0].message, badPort(port, programPort));
        EXPECT_EQ(analysis.port, programPort) << port;
    }
}

TEST(Analysis, AnAddressFindingStopsTheProgramOnlyWhenTheProgramKeepsThatAddress) {
    // The hosts, the address found wrong, whether the program stops, and whether
    // it stops on the address's length, before it reads it.
    const std::tuple<const char*, const char*, bool, bool> cases[] = {
        {"<il2host ipAddress=\"localhost\" port=\"1\"/>", "localhost", true, false},
        {"<il2host ipAddress=\"127.0.0.1 \" port=\"1\"/>", "127.0.0.1 ", true, false},
        {"<il2host ipAddress=\"localhost\" port=\"1\"/><il2host ipAddress=\"127.0.0.1\"/>",
         "localhost", false, false},
        {"<il2host ipAddress=\"127.0.0.1\" port=\"1\"/><il2host ipAddress=\"localhost\"/>",
         "localhost", true, false},
        {"<il2host ipAddress=\"127.000.000.0001\" port=\"1\"/>", "127.000.000.0001", true, true},
    };
    for (const auto& [hosts, address, stopsProgram, tooLong] : cases) {
        const Analysis analysis =
            analyseText(std::string("<c>") + hosts + "<line>altimeter</line></c>");
        const std::string found = notAnAddress(address);
        const std::string stop = stops(tooLong ? addressTooLongMessage(address)
                                               : cannotResolveMessage(address, kHostNotFound));
        size_t matching = 0;
        for (const Finding& finding : analysis.findings) {
            if (finding.message.rfind("ipAddress", 0) == 0) {
                ++matching;
                EXPECT_EQ(finding.message, stopsProgram ? found + stop : found) << hosts;
                EXPECT_EQ(finding.stops, stopsProgram) << hosts;
            }
        }
        EXPECT_EQ(matching, 1u) << hosts;
    }
}

// Lines of exactly 50 bytes, so that byte kConfigReadLimit (the first the
// program does not read) is the line feed of line 200.
std::string paddedLine(const std::string& text) {
    return text + std::string(49 - text.size(), ' ') + "\n";
}

std::string documentOfLines(int lineCount) {
    std::string text = paddedLine("<flightmfd>");
    text += paddedLine("<il2host ipAddress=\"127.0.0.1\" port=\"20010\"/>");
    for (int line = 3; line < lineCount; ++line) {
        text += paddedLine("<line prefix=\"ALT\">altimeter</line>");
    }
    return text + paddedLine("</flightmfd>");
}

TEST(Analysis, LongDocumentIsReadOnlyAsFarAsTheProgramReadsIt) {
    std::string text = documentOfLines(200);
    text.pop_back();  // exactly the read limit, the last line without its line feed: whole
    ASSERT_EQ(text.size(), static_cast<size_t>(kConfigReadLimit));
    const Analysis whole = analyseText(text);
    EXPECT_TRUE(whole.findings.empty());
    EXPECT_EQ(whole.tokens.size(), 197u);

    text = documentOfLines(250);
    ASSERT_EQ(text.size(), 12500u);
    const Analysis analysis = analyseText(text);
    ASSERT_EQ(analysis.state, Analysis::State::kRead);
    ASSERT_EQ(analysis.findings.size(), 1u);
    EXPECT_EQ(analysis.findings[0].line, 200);
    EXPECT_EQ(analysis.findings[0].message,
              "the file is 12500 bytes: the program reads only the first " +
                  std::to_string(kConfigReadLimit) +
                  ", up to column 50 of this line, and ignores the rest");
    // Lines 3 to 200 hold the <line> elements that the program sees.
    EXPECT_EQ(analysis.tokens.size(), 198u);
}

}  // namespace
