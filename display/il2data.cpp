#include "display/il2data.h"

#include "display/flight_values.h"

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
    const FlightValue* value = flightValueNamed(keyword);
    return value != nullptr && value->decimals > 0 ? value->field : nullptr;
}
