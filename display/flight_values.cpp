#include "display/flight_values.h"

#include <cstring>

// Nine numbers (angular_speed, azimuth, beacon_azimuth, roll, pitch, fuel, power, elevator,
// rudder) are kept in the record but no display line can show them: they have no unit and no
// decimals here.
const FlightValue kFlightValues[kFlightValueCount] = {
    {"plane", 22, nullptr, kUnitUnknown, 0},
    {"speedometer_indicated", 30, &IL2Data::speedometer_indicated, kUnitKmph, 1},
    {"variometer", 32, &IL2Data::variometer, kUnitMps, 2},
    {"slip", 34, &IL2Data::slip, kUnitDg, 1},
    {"turn", 36, &IL2Data::turn, kUnitNone, 2},
    {"angular_speed", 38, &IL2Data::angular_speed, kUnitUnknown, 0},
    {"altimeter", 40, &IL2Data::altimeter, kUnitM, 1},
    {"azimuth", 42, &IL2Data::azimuth, kUnitUnknown, 0},
    {"beacon_azimuth", 44, &IL2Data::beacon_azimuth, kUnitUnknown, 0},
    {"roll", 46, &IL2Data::roll, kUnitUnknown, 0},
    {"pitch", 48, &IL2Data::pitch, kUnitUnknown, 0},
    {"fuel", 50, &IL2Data::fuel, kUnitUnknown, 0},
    {"power", 80, &IL2Data::power, kUnitUnknown, 0},
    {"flaps", 82, &IL2Data::flaps, kUnitNone, 2},
    {"aileron", 84, &IL2Data::aileron, kUnitNone, 2},
    {"elevator", 86, &IL2Data::elevator, kUnitUnknown, 0},
    {"rudder", 88, &IL2Data::rudder, kUnitUnknown, 0},
    {"propPitch", 92, &IL2Data::propPitch, kUnitNone, 2},
    {"aileronTrim", 94, &IL2Data::aileronTrim, kUnitNone, 2},
    {"elevatorTrim", 96, &IL2Data::elevatorTrim, kUnitNone, 2},
    {"rudderTrim", 98, &IL2Data::rudderTrim, kUnitNone, 2},
};

const FlightValue* flightValueNamed(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    for (const FlightValue& value : kFlightValues) {
        if (std::strcmp(name, value.name) == 0) {
            return &value;
        }
    }
    return nullptr;
}

const FlightValue* flightValueOfCode(int32_t code) {
    for (const FlightValue& value : kFlightValues) {
        if (value.code == code) {
            return &value;
        }
    }
    return nullptr;
}

const FlightValue* flightValueAnswered(const char* answer) {
    for (const FlightValue& value : kFlightValues) {
        if (std::memcmp(answer, value.answer, kCodedLength) == 0) {
            return &value;
        }
    }
    return nullptr;
}
