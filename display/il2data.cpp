#include "display/il2data.h"

#include <cstring>

namespace {

struct DisplayedFieldEntry {
    const char* keyword;
    float IL2Data::*field;
};

// Nine of the record's numbers (angular_speed, azimuth, beacon_azimuth, roll, pitch, fuel, power,
// elevator, rudder) are kept but cannot be shown, so they have no keyword here.
constexpr DisplayedFieldEntry kDisplayedFields[] = {
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
};

}  // namespace

IL2Data::IL2Data()
    : plane{'P', 'L', 'A', 'N', 'E'},
      speedometer_indicated(0.0f),
      variometer(0.0f),
      slip(0.0f),
      turn(0.0f),
      angular_speed(0.0f),
      altimeter(0.0f),
      azimuth(0.0f),
      beacon_azimuth(0.0f),
      roll(0.0f),
      pitch(0.0f),
      fuel(0.0f),
      power(0.0f),
      flaps(0.0f),
      aileron(0.0f),
      elevator(0.0f),
      rudder(0.0f),
      propPitch(0.0f),
      aileronTrim(0.0f),
      elevatorTrim(0.0f),
      rudderTrim(0.0f) {}

float IL2Data::*displayedField(const char* keyword) {
    if (keyword == nullptr) {
        return nullptr;
    }
    for (const DisplayedFieldEntry& entry : kDisplayedFields) {
        if (std::strcmp(keyword, entry.keyword) == 0) {
            return entry.field;
        }
    }
    return nullptr;
}
