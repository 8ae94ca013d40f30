#include "display/units.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <utility>

#include "display/flight_values.h"

namespace {

TEST(Units, ConversionsGiveTheDisplaysOwnFigures) {
    // The value, its unit, the unit asked for, and the exact single-precision result.
    const std::tuple<float, UnitCode, UnitCode, float> cases[] = {
        {100.0f, kUnitKmph, kUnitMps, 27.7777786f},
        {100.0f, kUnitKmph, kUnitKn, 53.9956818f},
        {100.0f, kUnitKmph, kUnitMph, 62.1118011f},  // 1.61 km to the mile
        {10.0f, kUnitMps, kUnitKmph, 36.0f},
        {31.51f, kUnitMps, kUnitKmph, 113.435997f},  // divides before it multiplies
        {10.0f, kUnitMps, kUnitKn, 19.4384441f},
        {10.0f, kUnitMps, kUnitMph, 22.3602486f},
        // By way of km/h narrowed to single precision; one step would give 0.252699763 and
        // 0.29068321.
        {0.13f, kUnitMps, kUnitKn, 0.252699792f},
        {0.13f, kUnitMps, kUnitMph, 0.29068324f},
        {304.0f, kUnitM, kUnitFt, 1000.0f},  // 0.304 m to the foot
        {1000.0f, kUnitM, kUnitKm, 1.0f},
        {-2.5f, kUnitKmph, kUnitMps, -0.694444418f},
    };
    for (const auto& [value, from, to, expected] : cases) {
        EXPECT_EQ(convertUnit(value, from, to), expected)
            << value << " from " << from << " to " << to;
    }
}

TEST(Units, ValuesWithoutUnitAndEqualUnitsPassUnchanged) {
    for (UnitCode code = -2; code <= 10; ++code) {
        EXPECT_EQ(convertUnit(12.34f, kUnitNone, code), 12.34f) << "to " << code;
        EXPECT_EQ(convertUnit(12.34f, code, code), 12.34f) << "from and to " << code;
    }
}

TEST(Units, ImpossibleConversionsGiveMinusOne) {
    const UnitCode pairs[][2] = {
        {kUnitKmph, kUnitNone}, {kUnitKmph, kUnitKm},   {kUnitKmph, kUnitUnknown},
        {kUnitMps, kUnitFt},    {kUnitMps, kUnitNone},  {kUnitM, kUnitNone},
        {kUnitM, kUnitKmph},    {kUnitDg, kUnitDgps},   {kUnitDg, kUnitNone},
        {kUnitKm, kUnitM},      {kUnitKn, kUnitKmph},   {kUnitMph, kUnitKmph},
        {kUnitFt, kUnitM},      {kUnitUnknown, kUnitM}, {42, kUnitKmph},
    };
    for (const auto& pair : pairs) {
        EXPECT_EQ(convertUnit(55.5f, pair[0], pair[1]), -1.0f)
            << "from " << pair[0] << " to " << pair[1];
    }
}

TEST(Units, UnitTextsMatchExactly) {
    const std::pair<const char*, UnitCode> cases[] = {
        {"none", 0}, {"kmph", 1}, {"mps", 2},    {"dg", 3},     {"dgps", 4},  {"m", 5},
        {"km", 6},   {"kn", 7},   {"mph", 8},    {"ft", 9},     {"KMPH", -1}, {"km/h", -1},
        {"m ", -1},  {"", -1},    {nullptr, -1}, {"kmphx", -1},
    };
    for (const auto& [text, code] : cases) {
        EXPECT_EQ(unitCodeOf(text), code) << (text ? text : "(null)");
    }
}

TEST(Units, LabelsExistOnlyForRealUnits) {
    const char* const labels[] = {"kmph", "mps", "dg", "dgps", "m", "km", "kn", "mph", "ft"};
    for (UnitCode code = 1; code <= 9; ++code) {
        EXPECT_STREQ(unitLabel(code), labels[code - 1]);
    }
    for (UnitCode code : {kUnitNone, kUnitUnknown, 10, -2, INT32_MIN, INT32_MAX}) {
        EXPECT_STREQ(unitLabel(code), "") << code;
    }
}

TEST(Units, NativeUnitsByValueName) {
    for (const FlightValue& value : kFlightValues) {
        EXPECT_EQ(nativeUnit(value.name), value.unit) << value.name;
    }
    EXPECT_EQ(nativeUnit("speedometer_indicated"), kUnitKmph);
    EXPECT_EQ(nativeUnit("turn"), kUnitNone);
    for (const char* name : {"plane", "fuel", "Altimeter", "", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(nativeUnit(name), kUnitUnknown) << (name ? name : "(null)");
    }
}

}  // namespace
