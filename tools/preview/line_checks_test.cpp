#include "tools/preview/line_checks.h"

#include <gtest/gtest.h>

#include "display/il2data.h"
#include "display/units.h"

namespace {

// The preview's lists must say what the program accepts, or its hints mislead.
TEST(LineChecks, NamesAndUnitsAreTheProgramsOwn) {
    ASSERT_EQ(displayableNames().size(), 12u);
    EXPECT_EQ(displayableNames()[0], "plane");
    for (size_t i = 1; i < displayableNames().size(); ++i) {
        EXPECT_NE(displayedField(displayableNames()[i].c_str()), nullptr) << displayableNames()[i];
    }
    ASSERT_EQ(unitTexts().size(), 10u);
    for (size_t code = 0; code < unitTexts().size(); ++code) {
        EXPECT_EQ(unitCodeOf(unitTexts()[code].c_str()), static_cast<UnitCode>(code));
    }
}

TEST(LineChecks, ReachableUnits) {
    using Units = std::vector<std::string>;
    EXPECT_EQ(reachableUnits("speedometer_indicated"), (Units{"kmph", "mps", "kn", "mph"}));
    EXPECT_EQ(reachableUnits("variometer"), (Units{"kmph", "mps", "kn", "mph"}));
    EXPECT_EQ(reachableUnits("altimeter"), (Units{"m", "km", "ft"}));
    EXPECT_EQ(reachableUnits("slip"), Units{"dg"});
    EXPECT_EQ(reachableUnits("flaps"), unitTexts());
    EXPECT_EQ(reachableUnits("plane"), Units{});
    EXPECT_EQ(reachableUnits("fuel"), Units{});
}

}  // namespace
