#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct FlightValue;

// The record of the latest flight values that the simulator has reported: the aircraft's name and
// twenty numbers, in the order the simulator's answer codes list them. The record owns its name
// buffer and has no lock of its own: the one instance, il2d, is guarded by the named mutex
// "mutexIL2Data", which every reader and writer holds for the whole of its access.
class IL2Data {
  public:
    // The name buffer holds at most 1023 characters and a terminating NUL.
    static constexpr int32_t kPlaneCapacity = 1024;

    // A fresh record reads "PLANE" and 0 everywhere until the first answers arrive.
    IL2Data();

    // Applies one simulator answer (text need not be terminated; length is its byte count): the
    // name or one number is replaced, or nothing when the answer's code is unknown or the answer
    // is shorter than its 5-byte head. Nothing is read past length. Always returns 0.
    int32_t parseAnswer(const char* text, int32_t length);

    char plane[kPlaneCapacity];
    float speedometer_indicated;  // km/h
    float variometer;             // m/s
    float slip;                   // degrees
    float turn;
    float angular_speed;
    float altimeter;  // metres
    float azimuth;
    float beacon_azimuth;
    float roll;
    float pitch;
    float fuel;
    float power;
    float flaps;
    float aileron;
    float elevator;
    float rudder;
    float propPitch;
    float aileronTrim;
    float elevatorTrim;
    float rudderTrim;
};

// The numeric field that a display line selects by its keyword, which is the field's own name.
// Only the eleven displayable numbers have a keyword; any other text (the text field's keyword
// included, and a null pointer) selects nothing and yields null. Matching is exact and
// case-sensitive.
float IL2Data::*displayedField(const char* keyword);

// The value that an answer of `length` bytes carries, as parseAnswer takes it: null for one shorter
// than its code and separator, or with a code that the program does not ask for.
const FlightValue* answeredValue(const char* text, int32_t length);

// The aircraft's name that the value text of an answer stands for, as UTF-8: the bytes up to the
// first NUL, with the simulator's escapes undone ("\/" is '/' and "\\" is '\'; a backslash before
// anything else, or at the end, stays), read in the system's 8-bit encoding.
std::string aircraftName(const char* text, size_t length);
