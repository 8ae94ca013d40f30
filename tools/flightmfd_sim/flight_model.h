#pragma once

#include <string>

// A short flight that loops: take-off roll, climb, a turn, cruise, descent
// and roll-out. Speed is in km/h, altitude in metres, vertical speed in m/s,
// angles in degrees, controls and trims from -1 to 1, flaps from 0 to 1,
// power, propeller pitch and fuel in percent. Pure functions of time.

constexpr double kFlightLoopSeconds = 300.0;

// The value text that answers `code` at `seconds` after the start, as the
// simulator writes it. False for a code that the flight does not answer.
bool flightValue(int code, double seconds, std::string* text);
