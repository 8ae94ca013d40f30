#include "display/flight_values.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// The simulator's codes: 22 for the name, then the even codes from 30 to 50 and from 80 to 98,
// 90 left out.
bool isAskedCode(int32_t code) {
    const bool instrument = code >= 30 && code <= 50;
    const bool control = code >= 80 && code <= 98 && code != 90;
    return code == 22 || ((instrument || control) && code % 2 == 0);
}

TEST(FlightValues, TheTableIsConsistent) {
    std::set<std::string> names;
    const IL2Data record;
    std::set<const float*> fields;  // members cannot be ordered; their places in one record can
    int32_t previousCode = 0;
    for (const FlightValue& value : kFlightValues) {
        SCOPED_TRACE(value.name);
        EXPECT_TRUE(names.insert(value.name).second);
        EXPECT_TRUE(isAskedCode(value.code));
        // Rising codes are unique, and the batch asks for them in this order.
        EXPECT_GT(value.code, previousCode);
        previousCode = value.code;
        EXPECT_EQ(value.query, "R/" + std::to_string(value.code));
        EXPECT_EQ(value.answer, "A/" + std::to_string(value.code));
        EXPECT_EQ(flightValueNamed(value.name), &value);
        EXPECT_EQ(flightValueOfCode(value.code), &value);
        EXPECT_EQ(flightValueAnswered(value.answer), &value);
        if (isText(value)) {
            // The name comes first; no unit, no decimals.
            EXPECT_EQ(&value, &kFlightValues[0]);
            EXPECT_EQ(value.unit, kUnitUnknown);
            EXPECT_EQ(value.decimals, 0);
            continue;
        }
        EXPECT_TRUE(fields.insert(&(record.*value.field)).second);
        // A number has a unit of its own exactly when a line can show it.
        EXPECT_EQ(value.unit != kUnitUnknown, isShown(value));
        EXPECT_TRUE(value.decimals >= 0 && value.decimals <= 2);
    }
    EXPECT_EQ(fields.size(), 20u);
    EXPECT_EQ(names.size(), 21u);
}

}  // namespace
