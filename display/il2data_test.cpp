#include "display/il2data.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(IL2Data, FreshRecordReadsPlaneAndZeros) {
    IL2Data data;
    EXPECT_STREQ(data.plane, "PLANE");
    for (int i = 5; i < IL2Data::kPlaneCapacity; ++i) {
        ASSERT_EQ(data.plane[i], '\0') << "byte " << i;
    }
    const float IL2Data::*const numbers[] = {
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
    for (const auto field : numbers) {
        EXPECT_EQ(data.*field, 0.0f);
    }
}

TEST(IL2Data, KeywordsSelectOnlyDisplayableFieldsExactly) {
    const struct {
        const char* keyword;
        float IL2Data::*field;
    } cases[] = {
        {"speedometer_indicated", &IL2Data::speedometer_indicated},
        {"variometer", &IL2Data::variometer},
        {"slip", &IL2Data::slip},
        {"turn", &IL2Data::turn},
        {"altimeter", &IL2Data::altimeter},
        {"flaps", &IL2Data::flaps},
        {"aileron", &IL2Data::aileron},
        {"propPitch", &IL2Data::propPitch},
        {"aileronTrim", &IL2Data::aileronTrim},
        {"elevatorTrim", &IL2Data::elevatorTrim},
        {"rudderTrim", &IL2Data::rudderTrim},
        {"Altimeter", nullptr},
        {"altimeter ", nullptr},
        {"fuel", nullptr},
        {"angular_speed", nullptr},
        {"rudder", nullptr},
        {"plane", nullptr},
        {"", nullptr},
        {nullptr, nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(displayedField(c.keyword), c.field) << (c.keyword ? c.keyword : "(null)");
    }
}

}  // namespace
