#pragma once

// The simulator's answers, applied to the flight data record by IL2Data::parseAnswer (defined in
// messages.cpp); the queries they answer are the `query` texts of kFlightValues.
#include <cstddef>
#include <string>

// The aircraft's name that the value text of an answer stands for, as UTF-8: the bytes up to the
// first NUL, with the simulator's escapes undone ("\/" is '/' and "\\" is '\'; a backslash before
// anything else, or at the end, stays), read in the system's 8-bit encoding.
std::string aircraftName(const char* text, size_t length);
