#include "tools/preview/sample_values.h"

#include <cstdio>

IL2Data sampleFlightData() {
    IL2Data data;
    std::snprintf(data.plane, sizeof data.plane, "%s", "Yak-1");
    data.speedometer_indicated = 285.0f;  // km/h
    data.variometer = 4.5f;               // m/s
    data.slip = 1.5f;                     // degrees
    data.turn = 0.25f;
    data.angular_speed = 1.2f;
    data.altimeter = 1250.0f;  // metres
    data.azimuth = 270.0f;
    data.beacon_azimuth = 45.0f;
    data.roll = -5.0f;
    data.pitch = 8.0f;
    data.fuel = 72.0f;
    data.power = 95.0f;
    data.flaps = 0.25f;
    data.aileron = -0.1f;
    data.elevator = 0.15f;
    data.rudder = 0.05f;
    data.propPitch = 85.0f;
    data.aileronTrim = 0.0f;
    data.elevatorTrim = 0.12f;
    data.rudderTrim = -0.05f;
    return data;
}
