#include "tools/preview/wording.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

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
    const std::tuple<const char*, const std::vector<std::string>*, const char*> cases[] = {
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
    for (const auto& [given, candidates, expected] : cases) {
        EXPECT_EQ(likelyName(given, *candidates), expected) << quoted(given);
    }
}

}  // namespace
