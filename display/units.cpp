#include "display/units.h"

#include <cstring>

#include "display/flight_values.h"

namespace {

// The constants are deliberately the display's own rounded figures (1.61 km to the mile, 0.304 m
// to the foot), and each result is computed in double precision in the order written: the shown
// digits depend on both.
constexpr double kMetresPerKilometre = 1000.0;
constexpr double kSecondsPerHour = 3600.0;
constexpr double kKilometresPerNauticalMile = 1.852;
constexpr double kKilometresPerMile = 1.61;
constexpr double kMetresPerFoot = 0.304;

float fromKmph(float value, UnitCode to) {
    const double v = value;
    switch (to) {
        case kUnitMps:
            return static_cast<float>(v * kMetresPerKilometre / kSecondsPerHour);
        case kUnitKn:
            return static_cast<float>(v / kKilometresPerNauticalMile);
        case kUnitMph:
            return static_cast<float>(v / kKilometresPerMile);
        default:
            return -1.0f;
    }
}

float fromMps(float value, UnitCode to) {
    const double v = value;
    switch (to) {
        case kUnitKmph:
            return static_cast<float>(v / kMetresPerKilometre * kSecondsPerHour);
        case kUnitKn:
        case kUnitMph:
            // Two steps by way of km/h, narrowed in between: the shown digits depend on it.
            return fromKmph(fromMps(value, kUnitKmph), to);
        default:
            return -1.0f;
    }
}

float fromMetres(float value, UnitCode to) {
    const double v = value;
    switch (to) {
        case kUnitKm:
            return static_cast<float>(v / kMetresPerKilometre);
        case kUnitFt:
            return static_cast<float>(v / kMetresPerFoot);
        default:
            return -1.0f;
    }
}

}  // namespace

UnitCode unitCodeOf(const char* unit) {
    if (unit == nullptr) {
        return kUnitUnknown;
    }
    for (UnitCode code = 0; code < kUnitTextCount; ++code) {
        if (std::strcmp(unit, kUnitTexts[code]) == 0) {
            return code;
        }
    }
    return kUnitUnknown;
}

const char* unitLabel(UnitCode code) {
    // Code 0 ("none") is a unit text but has no label.
    if (code <= kUnitNone || code >= kUnitTextCount) {
        return "";
    }
    return kUnitTexts[code];
}

UnitCode nativeUnit(const char* valueName) {
    const FlightValue* value = flightValueNamed(valueName);
    return value != nullptr ? value->unit : kUnitUnknown;
}

float convertUnit(float value, UnitCode from, UnitCode to) {
    if (from == to) {
        return value;
    }
    switch (from) {
        case kUnitNone:
            return value;
        case kUnitKmph:
            return fromKmph(value, to);
        case kUnitMps:
            return fromMps(value, to);
        case kUnitM:
            return fromMetres(value, to);
        default:
            return -1.0f;
    }
}
