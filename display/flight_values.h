#pragma once

#include <cstdint>

#include "display/framing.h"
#include "display/il2data.h"
#include "display/units.h"

// One flight value that the program asks the simulator for: its name (the record's field, and a
// display line's keyword where a line can show it), its code in the simulator's query interface,
// where the record keeps it, and how a display line shows it. Every list of flight values in the
// program and its tools is made from kFlightValues, so that none can drift from another.
struct FlightValue {
    constexpr FlightValue(const char* valueName, int32_t valueCode, float IL2Data::*valueField,
                          UnitCode nativeUnit, int32_t shownDecimals)
        : name(valueName),
          code(valueCode),
          query{kQueryPrefix[0], kQueryPrefix[1], digit(valueCode / 10), digit(valueCode), '\0'},
          answer{kAnswerPrefix[0], kAnswerPrefix[1], digit(valueCode / 10), digit(valueCode), '\0'},
          field(valueField),
          unit(nativeUnit),
          decimals(shownDecimals) {}

    const char* name;
    int32_t code;                   // two decimal digits
    char query[kCodedLength + 1];   // "R/" and the code: the datagram that asks for the value
    char answer[kCodedLength + 1];  // "A/" and the code: how the simulator's answer begins
    float IL2Data::*field;          // null for the aircraft's name, the one text value
    UnitCode unit;                  // the record's unit for the number; -1 when no line shows it
    int32_t decimals;               // after the point on a display line; 0 when no line shows it

  private:
    static constexpr char digit(int32_t number) { return static_cast<char>('0' + number % 10); }
};

// In the order in which one batch of queries goes out, which is also the order in which an
// answer's code is looked up.
constexpr int32_t kFlightValueCount = 21;
extern const FlightValue kFlightValues[kFlightValueCount];

// The aircraft's name, the one value that is text.
inline bool isText(const FlightValue& value) {
    return value.field == nullptr;
}

// Whether a display line can show the value: the name, and each number that has a unit of its own.
inline bool isShown(const FlightValue& value) {
    return isText(value) || value.decimals > 0;
}

// Whether the value is one of the instrument readings (codes 30 to 50), which the simulator gives
// neither in online play nor while a mission loads; its other answers go on meanwhile.
inline bool isInstrumentReading(const FlightValue& value) {
    return value.code >= 30 && value.code <= 50;
}

// The value of that name, matched exactly and case-sensitively; null for any other text and for
// a null pointer.
const FlightValue* flightValueNamed(const char* name);

// The value of a two-digit code; null for a code that the program does not ask for.
const FlightValue* flightValueOfCode(int32_t code);

// The value whose answer begins with the first kCodedLength bytes of `answer`, which must hold
// that many; null when no code matches.
const FlightValue* flightValueAnswered(const char* answer);
