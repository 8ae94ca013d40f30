#include "tools/preview/wording.h"

#include <gtest/gtest.h>

namespace {

TEST(Wording, QuotedShowsBlanksAndControlCharacters) {
    EXPECT_EQ(quoted("altimeter "), "\"altimeter \"");
    EXPECT_EQ(quoted("a\tb\nc\rd\x01"), "\"a\\tb\\nc\\rd\\x01\"");
    EXPECT_EQ(quoted("H\xC3\xB6he"), "\"H\xC3\xB6he\"");
}

TEST(Wording, LikelyName) {
    const std::vector<std::string> names = {"plane",   "speedometer_indicated", "altimeter",
                                            "aileron", "aileronTrim",           "elevatorTrim"};
    const std::vector<std::string> units = {"none", "kmph", "mps", "m", "km", "kn", "mph", "ft"};
    struct Case {
        const char* given;
        const std::vector<std::string>* candidates;
        const char* expected;
    };
    const Case cases[] = {
        {"Altimeter", &names, "altimeter"},
        {"altimeter ", &names, "altimeter"},
        {"\taltimeter", &names, "altimeter"},
        {"ALTIMETER", &names, "altimeter"},
        {"speed", &names, "speedometer_indicated"},
        {"altimetre", &names, "altimeter"},     // a slip of two letters
        {"aileronTrm", &names, "aileronTrim"},  // one slip from "aileronTrim" only
        {"ail", &names, ""},                    // starts two names
        {"qnh", &names, ""},
        {"", &names, ""},
        {"KMPH", &units, "kmph"},
        {"kmh", &units, "kmph"},
        {"x", &units, ""},  // one letter from "m", but that would change all of it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(likelyName(c.given, *c.candidates), c.expected) << quoted(c.given);
    }
}

}  // namespace
