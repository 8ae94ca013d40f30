#pragma once

// The simulator's answers, applied to the flight data record by IL2Data::parseAnswer (defined in
// messages.cpp); the queries they answer are the `query` texts of kFlightValues.
#include <cstddef>
#include <cstdint>
#include <string>

#include "display/flight_values.h"

// The value that an answer of `length` bytes carries, as parseAnswer takes it: null for one shorter
// than its code and separator, or with a code that the program does not ask for.
const FlightValue* answeredValue(const char* text, int32_t length);

// The aircraft's name that the value text of an answer stands for, as UTF-8: the bytes up to the
// first NUL, with the simulator's escapes undone ("\/" is '/' and "\\" is '\'; a backslash before
// anything else, or at the end, stays), read in the system's 8-bit encoding.
std::string aircraftName(const char* text, size_t length);
