#include "tools/flightmfd_sim/flight_model.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "display/flight_values.h"

namespace {

// A value through the loop: points in time order, joined by straight lines.
struct Point {
    double time;
    double value;
};
using Track = std::vector<Point>;

// Take-off roll 0-35 s, climb 35-110 s, turn 110-150 s, cruise 150-210 s,
// descent 210-285 s, roll-out 285-300 s.
const Track kSpeed = {{0, 0},     {35, 170},  {45, 200},  {110, 260}, {150, 300},
                      {170, 350}, {210, 350}, {285, 190}, {300, 0}};
const Track kAltitude = {{0, 0}, {35, 0}, {45, 150}, {110, 1500}, {210, 1500}, {285, 0}, {300, 0}};
const Track kHeading = {{0, 90}, {110, 90}, {150, 270}, {300, 270}};
const Track kRoll = {{0, 0}, {110, 0}, {114, 30}, {146, 30}, {150, 0}, {300, 0}};
const Track kPitch = {{0, 0},   {30, 0},   {35, 8},   {45, 10}, {110, 10}, {115, 0},
                      {210, 0}, {215, -4}, {280, -4}, {285, 2}, {290, 0},  {300, 0}};
const Track kTurn = {{0, 0}, {110, 0}, {114, 0.5}, {146, 0.5}, {150, 0}, {300, 0}};
const Track kAileron = {{0, 0},   {110, 0},    {112, 0.3}, {114, 0},
                        {146, 0}, {148, -0.3}, {150, 0},   {300, 0}};
const Track kElevator = {{0, 0},      {30, 0},     {35, 0.3}, {45, 0.1},  {110, 0.1},
                         {115, 0.15}, {150, 0.15}, {210, 0},  {285, 0.2}, {300, 0}};
const Track kRudder = {{0, 0.1},   {35, 0.1}, {110, 0.05}, {114, 0.1},
                       {146, 0.1}, {150, 0},  {300, 0}};
const Track kFlaps = {{0, 0.25}, {45, 0.25}, {55, 0}, {265, 0}, {275, 0.5}, {300, 0.5}};
const Track kPower = {{0, 100},  {110, 100}, {150, 90}, {170, 75}, {210, 75},
                      {215, 45}, {285, 40},  {290, 0},  {300, 0}};
const Track kPropPitch = {{0, 100},  {110, 100}, {150, 90}, {170, 70},
                          {210, 70}, {285, 100}, {300, 100}};
const Track kFuel = {{0, 100}, {300, 82}};
const Track kAileronTrim = {{0, 0}, {300, 0.02}};
const Track kElevatorTrim = {{0, 0.1}, {110, 0.2}, {150, 0}, {210, 0}, {285, 0.15}, {300, 0.1}};
const Track kRudderTrim = {{0, 0.15}, {110, 0.15}, {150, 0.05}, {300, 0.05}};

// The segment of `track` that holds `time`, as the index of its first point.
size_t segmentAt(const Track& track, double time) {
    size_t i = 0;
    while (i + 2 < track.size() && time >= track[i + 1].time) {
        ++i;
    }
    return i;
}

double valueAt(const Track& track, double time) {
    size_t i = segmentAt(track, time);
    const Point& a = track[i];
    const Point& b = track[i + 1];
    return a.value + (b.value - a.value) * (time - a.time) / (b.time - a.time);
}

// The rate of change, so that vertical speed and turn rate agree with the
// altitude and the heading that are reported.
double slopeAt(const Track& track, double time) {
    size_t i = segmentAt(track, time);
    const Point& a = track[i];
    const Point& b = track[i + 1];
    return (b.value - a.value) / (b.time - a.time);
}

constexpr double kPi = 3.14159265358979323846;

// The needle is never quite still in a real cockpit.
double wobble(double time, double size, double period) {
    return size * std::sin(2.0 * kPi * time / period);
}

double wrapDegrees(double angle) {
    angle = std::fmod(angle, 360.0);
    return angle < 0 ? angle + 360.0 : angle;
}

// A beacon that lies to the north-east of the airfield.
constexpr double kBeaconBearing = 45.0;

// One number of the flight data record and how it moves.
struct Channel {
    float IL2Data::*field;
    double (*valueAt)(double time);
};

const Channel kChannels[] = {
    {&IL2Data::speedometer_indicated, [](double t) { return valueAt(kSpeed, t); }},
    {&IL2Data::variometer, [](double t) { return slopeAt(kAltitude, t); }},
    {&IL2Data::slip, [](double t) { return valueAt(kRudder, t) + wobble(t, 0.4, 7.0); }},
    {&IL2Data::turn, [](double t) { return valueAt(kTurn, t); }},
    {&IL2Data::angular_speed, [](double t) { return slopeAt(kHeading, t); }},
    {&IL2Data::altimeter, [](double t) { return valueAt(kAltitude, t); }},
    {&IL2Data::azimuth, [](double t) { return wrapDegrees(valueAt(kHeading, t)); }},
    {&IL2Data::beacon_azimuth,
     [](double t) { return wrapDegrees(kBeaconBearing - valueAt(kHeading, t)); }},
    {&IL2Data::roll, [](double t) { return valueAt(kRoll, t) + wobble(t, 0.5, 5.0); }},
    {&IL2Data::pitch, [](double t) { return valueAt(kPitch, t); }},
    {&IL2Data::fuel, [](double t) { return valueAt(kFuel, t); }},
    {&IL2Data::power, [](double t) { return valueAt(kPower, t); }},
    {&IL2Data::flaps, [](double t) { return valueAt(kFlaps, t); }},
    {&IL2Data::aileron, [](double t) { return valueAt(kAileron, t) + wobble(t, 0.02, 3.0); }},
    {&IL2Data::elevator, [](double t) { return valueAt(kElevator, t); }},
    {&IL2Data::rudder, [](double t) { return valueAt(kRudder, t); }},
    {&IL2Data::propPitch, [](double t) { return valueAt(kPropPitch, t); }},
    {&IL2Data::aileronTrim, [](double t) { return valueAt(kAileronTrim, t); }},
    {&IL2Data::elevatorTrim, [](double t) { return valueAt(kElevatorTrim, t); }},
    {&IL2Data::rudderTrim, [](double t) { return valueAt(kRudderTrim, t); }},
};

}  // namespace

bool flightValue(int code, double seconds, std::string* text) {
    const FlightValue* value = flightValueOfCode(code);
    if (value == nullptr) {
        return false;
    }
    if (isText(*value)) {
        // Plain ASCII without blanks, as the simulator's names are; with the
        // blank that a line without prefix puts before it, it fits the
        // display's 16 columns.
        *text = "Stand-in-Plane";
        return true;
    }
    double t = std::fmod(seconds, kFlightLoopSeconds);
    for (const Channel& channel : kChannels) {
        if (channel.field == value->field) {
            char number[32];
            std::snprintf(number, sizeof number, "%.3f", channel.valueAt(t));
            *text = number;
            return true;
        }
    }
    return false;
}
