#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "display/flight_values.h"
#include "display/il2data.h"
#include "platform/code_page.h"
#include "platform/utf8.h"

namespace {

// Hands the answer over in a heap buffer of exactly its length, without a terminator, so that
// AddressSanitizer reports any read past its end.
void parse(IL2Data& data, const std::string& answer) {
    const std::unique_ptr<char[]> bytes(new char[answer.size()]);
    std::memcpy(bytes.get(), answer.data(), answer.size());
    EXPECT_EQ(data.parseAnswer(bytes.get(), static_cast<int32_t>(answer.size())), 0);
}

void expectFresh(const IL2Data& data, const std::string& context) {
    EXPECT_STREQ(data.plane, "PLANE") << context;
    for (const FlightValue& value : kFlightValues) {
        if (!isText(value)) {
            EXPECT_EQ(data.*value.field, 0.0f) << context;
        }
    }
}

// The answer to each query fills the field of its value, and no other.
TEST(Messages, EachAnswerCodeFillsItsOwnField) {
    for (const FlightValue& answered : kFlightValues) {
        IL2Data data;
        parse(data, std::string(answered.answer) + " 12.5");
        EXPECT_STREQ(data.plane, isText(answered) ? "12.5" : "PLANE") << answered.name;
        for (const FlightValue& value : kFlightValues) {
            if (!isText(value)) {
                EXPECT_EQ(data.*value.field, &value == &answered ? 12.5f : 0.0f)
                    << answered.name << ", field " << value.name;
            }
        }
    }
}

TEST(Messages, NumericValues) {
    const struct {
        std::string answer;
        float IL2Data::*field;
        float expected;
    } cases[] = {
        {"A/30 123.45", &IL2Data::speedometer_indicated, static_cast<float>(123.45)},
        {"A/307.5", &IL2Data::speedometer_indicated, 0.5f},  // the 7 is the separator
        {"A/40 1.5e2xyz", &IL2Data::altimeter, 150.0f},
        {"A/30 12.5A/32 7", &IL2Data::speedometer_indicated, 12.5f},
        {"A/32\t  -0.25\r\n", &IL2Data::variometer, -0.25f},
        {"A/30 abc", &IL2Data::speedometer_indicated, 0.0f},
        {"A/30 ", &IL2Data::speedometer_indicated, 0.0f},
        {"A/30 4" + std::string(1, '\0') + "2", &IL2Data::speedometer_indicated, 4.0f},
        {"A/98 99", &IL2Data::rudderTrim, 99.0f},
        {"A/30 2.5" + std::string(2000, ' '), &IL2Data::speedometer_indicated, 2.5f},
    };
    for (const auto& c : cases) {
        IL2Data data;
        data.*c.field = 777.0f;  // a new answer always replaces the value
        parse(data, c.answer);
        EXPECT_EQ(data.*c.field, c.expected) << "'" << c.answer << "'";
        if (c.field != &IL2Data::variometer) {
            EXPECT_EQ(data.variometer, 0.0f) << "'" << c.answer << "'";
        }
    }
}

TEST(Messages, AnswersThatChangeNothing) {
    const std::string answers[] = {
        "A/90 5", "A/52 5", "R/30 5", "a/30 5", "A/3 55", "A/20 5",
        "",       "A",      "A/3",    "A/30",   "A/22",   "A/" + std::string(1, '\0') + "0 5"};
    for (const std::string& answer : answers) {
        IL2Data data;
        parse(data, answer);
        expectFresh(data, "'" + answer + "'");
    }
    IL2Data data;
    EXPECT_EQ(data.parseAnswer("A/30 5", -1), 0);
    EXPECT_EQ(data.parseAnswer(nullptr, 6), 0);
    expectFresh(data, "negative length or no text");
}

TEST(Messages, AircraftName) {
    const struct {
        std::string answer;
        std::string expected;
    } cases[] = {
        {"A/22 Bf 109 G-2\r\n", "Bf 109 G-2\r\n"},
        {"A/22 ", ""},
        {"A/22:  La-5 ", "  La-5 "},  // nothing is trimmed
        {std::string("A/22 Yak\0-9", 11), "Yak"},
        {"A/22 " + std::string(1019, 'N'), std::string(1019, 'N')},  // the longest datagram
        {"A/22 " + std::string(1023, 'N'), std::string(1023, 'N')},
        {"A/22 " + std::string(3000, 'N'), std::string(1023, 'N')},
        // The simulator escapes its framing characters inside a text.
        {"A/22\\Trainer-2\\/B", "Trainer-2/B"},
        {"A/22\\C:\\\\Yak\\\\", "C:\\Yak\\"},
        {"A/22\\Yak\\-9\\", "Yak\\-9\\"},
        {"A/22\\\\/\\\\\\/", "/\\/"},
    };
    for (const auto& c : cases) {
        IL2Data data;
        parse(data, "A/22 " + std::string(1000, 'X'));
        parse(data, c.answer);
        EXPECT_EQ(std::string(data.plane), c.expected) << "'" << c.answer.substr(0, 40) << "'";
        EXPECT_EQ(data.speedometer_indicated, 0.0f);
    }
}

// The name becomes UTF-8 (from Latin-1 on POSIX, from the ANSI code page on
// Windows), and the record keeps what fits, between two characters.
TEST(Messages, ANameLongerThanTheRecordIsCutOnACharacterBoundary) {
    // Every byte becomes two or more in UTF-8, and 1023 is odd.
    const std::string name(1019, '\xE9');
    const std::string whole = platform::codePageToUtf8(name.data(), name.size());
    IL2Data data;
    parse(data, "A/22 " + name);
    const std::string kept(data.plane);
    EXPECT_LE(kept.size(), 1023u);
    EXPECT_GT(kept.size(), 1019u);
    EXPECT_EQ(platform::wholeUtf8Length(kept.data(), kept.size()), kept.size());
    EXPECT_EQ(whole.compare(0, kept.size(), kept), 0);
}

TEST(Messages, LastAnswerWins) {
    IL2Data data;
    parse(data, "A/40 100");
    parse(data, "A/30 50");
    parse(data, "A/40 200");
    parse(data, "A/22 I-16");
    parse(data, "A/22 MiG-3");
    EXPECT_EQ(data.altimeter, 200.0f);
    EXPECT_EQ(data.speedometer_indicated, 50.0f);
    EXPECT_STREQ(data.plane, "MiG-3");
}

}  // namespace
