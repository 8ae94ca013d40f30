#pragma once

// The queries the program sends to the simulator, one four-byte datagram each ("R/" and a
// two-digit code, no terminator), in the order of one batch. The answers are applied to the flight
// data record by IL2Data::parseAnswer, defined beside this table in messages.cpp.
constexpr int kQueryCount = 21;
extern const char* const kQueryTexts[kQueryCount];

// The name of the flight value that query `index` (0 to kQueryCount - 1) asks for: the field of
// IL2Data that its answer fills ("plane" for the aircraft's name).
const char* queryValueName(int index);
