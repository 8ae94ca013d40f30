#pragma once

#include <cstdint>

// The units in which the display shows values. Pure functions without state: any thread may call
// them at any time.

// -1 stands for an unrecognised unit (and for a value that has no native unit).
using UnitCode = int32_t;

constexpr UnitCode kUnitUnknown = -1;
constexpr UnitCode kUnitNone = 0;
constexpr UnitCode kUnitKmph = 1;
constexpr UnitCode kUnitMps = 2;
constexpr UnitCode kUnitDg = 3;
constexpr UnitCode kUnitDgps = 4;
constexpr UnitCode kUnitM = 5;
constexpr UnitCode kUnitKm = 6;
constexpr UnitCode kUnitKn = 7;
constexpr UnitCode kUnitMph = 8;
constexpr UnitCode kUnitFt = 9;

// The configured unit texts, indexed by unit code.
constexpr const char* kUnitTexts[] = {"none", "kmph", "mps", "dg",  "dgps",
                                      "m",    "km",   "kn",  "mph", "ft"};
constexpr UnitCode kUnitTextCount = sizeof kUnitTexts / sizeof kUnitTexts[0];

// The code of a configured unit text: an exact, case-sensitive match of "none", "kmph", "mps",
// "dg", "dgps", "m", "km", "kn", "mph" or "ft"; -1 for anything else (the empty text and a null
// pointer included).
UnitCode unitCodeOf(const char* unit);

// The text that stands for a unit on the display: the unit text for codes 1 to 9, and "" for
// "none", for -1 and for any other code. Never null.
const char* unitLabel(UnitCode code);

// The unit in which the flight data record holds a displayable value, by its keyword; -1 for any
// other name (the aircraft's name included) and for a null pointer.
UnitCode nativeUnit(const char* valueName);

// Converts a value from one unit to another. Only km/h to m/s, kn and mph, m/s to km/h, kn and
// mph, and metres to km and ft exist; a value without a unit ("none") passes through unchanged,
// as does any value when both codes are equal. Every other conversion yields -1.0, which the
// display shows like any other number.
float convertUnit(float value, UnitCode from, UnitCode to);
