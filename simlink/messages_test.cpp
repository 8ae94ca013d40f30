#include "simlink/messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "display/il2data.h"
#include "platform/code_page.h"
#include "platform/utf8.h"

namespace {

// The record's numbers in declaration order, which is also the order of the answer codes after
// the aircraft name's.
const float IL2Data::*const kNumbers[] = {
    &IL2Data::speedometer_indicated,
    &IL2Data::variometer,
    &IL2Data::slip,
    &IL2Data::turn,
    &IL2Data::angular_speed,
    &IL2Data::altimeter,
    &IL2Data::azimuth,
    &IL2Data::beacon_azimuth,
    &IL2Data::roll,
    &IL2Data::pitch,
    &IL2Data::fuel,
    &IL2Data::power,
    &IL2Data::flaps,
    &IL2Data::aileron,
    &IL2Data::elevator,
    &IL2Data::rudder,
    &IL2Data::propPitch,
    &IL2Data::aileronTrim,
    &IL2Data::elevatorTrim,
    &IL2Data::rudderTrim,
};

// Hands the answer over in a heap buffer of exactly its length, without a terminator, so that
// AddressSanitizer reports any read past its end.
void parse(IL2Data& data, const std::string& answer) {
    const std::unique_ptr<char[]> bytes(new char[answer.size()]);
    std::memcpy(bytes.get(), answer.data(), answer.size());
    EXPECT_EQ(data.parseAnswer(bytes.get(), static_cast<int32_t>(answer.size())), 0);
}

void expectFresh(const IL2Data& data, const std::string& context) {
    EXPECT_STREQ(data.plane, "PLANE") << context;
    for (const auto field : kNumbers) {
        EXPECT_EQ(data.*field, 0.0f) << context;
    }
}

TEST(Messages, QueriesInBatchOrder) {
    const char* const expected[] = {"R/22", "R/30", "R/32", "R/34", "R/36", "R/38", "R/40",
                                    "R/42", "R/44", "R/46", "R/48", "R/50", "R/80", "R/82",
                                    "R/84", "R/86", "R/88", "R/92", "R/94", "R/96", "R/98"};
    static_assert(sizeof expected / sizeof expected[0] == kQueryCount);
    for (int i = 0; i < kQueryCount; ++i) {
        EXPECT_STREQ(kQueryTexts[i], expected[i]) << "query " << i;
        EXPECT_EQ(std::strlen(kQueryTexts[i]), 4u);
    }
}

// The answer to each query fills the field in the same position of the record, and no other.
TEST(Messages, EachAnswerCodeFillsItsOwnField) {
    for (int i = 0; i < kQueryCount; ++i) {
        IL2Data data;
        const std::string code(kQueryTexts[i] + 2, 2);
        parse(data, "A/" + code + " 12.5");
        EXPECT_STREQ(data.plane, i == 0 ? "12.5" : "PLANE") << "code " << code;
        for (int f = 0; f < kQueryCount - 1; ++f) {
            EXPECT_EQ(data.*kNumbers[f], f == i - 1 ? 12.5f : 0.0f)
                << "code " << code << ", field " << f;
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
        {std::string("A/30 4\0"
                     "2",
                     8),
         &IL2Data::speedometer_indicated, 4.0f},
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
        "A/90 5",
        "A/52 5",
        "R/30 5",
        "a/30 5",
        "A/3 55",
        "A/20 5",
        "",
        "A",
        "A/3",
        "A/30",
        "A/22",
        std::string("A/\0"
                    "0 5",
                    6),
    };
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
