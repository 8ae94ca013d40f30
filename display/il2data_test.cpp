#include "display/il2data.h"

#include <gtest/gtest.h>

#include <cstring>

#include "display/flight_values.h"

namespace {

TEST(IL2Data, FreshRecordReadsPlaneAndZeros) {
    IL2Data data;
    EXPECT_STREQ(data.plane, "PLANE");
    for (int i = 5; i < IL2Data::kPlaneCapacity; ++i) {
        ASSERT_EQ(data.plane[i], '\0') << "byte " << i;
    }
    for (const FlightValue& value : kFlightValues) {
        if (!isText(value)) {
            EXPECT_EQ(data.*value.field, 0.0f) << value.name;
        }
    }
}

// A keyword selects the field of the value of that name, only where a line can show the number.
TEST(IL2Data, KeywordsSelectOnlyDisplayableFieldsExactly) {
    for (const FlightValue& value : kFlightValues) {
        EXPECT_EQ(displayedField(value.name), isShown(value) ? value.field : nullptr) << value.name;
    }
    EXPECT_EQ(displayedField("altimeter"), &IL2Data::altimeter);
    for (const char* keyword : {"Altimeter", "altimeter ", "", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(displayedField(keyword), nullptr) << (keyword ? keyword : "(null)");
    }
}

}  // namespace
