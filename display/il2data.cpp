#include "display/il2data.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <algorithm>
#include <string>

#include "display/flight_values.h"
#include "display/framing.h"
#include "platform/code_page.h"
#include "platform/utf8.h"

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

namespace {

constexpr int32_t kWorkBufferSize = 1024;

// Copies the value's text into a terminated buffer, cut at capacity - 1 characters. The text ends
// at its first NUL if it holds one, since every reader takes it as a C string.
void copyValueText(const char* text, int32_t length, char* target, int32_t capacity) {
    int32_t count = length - kValueOffset;
    if (count > capacity - 1) {
        count = capacity - 1;
    }
    std::memcpy(target, text + kValueOffset, static_cast<size_t>(count));
    target[count] = '\0';
}

// The simulator frames its answers with slashes and backslashes, and writes either one inside a
// text with a backslash before it.
std::string unescaped(const char* text, size_t length) {
    std::string plain;
    plain.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\\' && i + 1 < length && (text[i + 1] == '/' || text[i + 1] == '\\')) {
            ++i;
        }
        plain += text[i];
    }
    return plain;
}

// Every display line holds UTF-8, so the name is converted here, once, and cut at capacity - 1
// bytes on a character boundary.
void copyName(const char* text, int32_t length, char* target, int32_t capacity) {
    const std::string utf8 =
        aircraftName(text + kValueOffset, static_cast<size_t>(length - kValueOffset));
    size_t kept = std::min(utf8.size(), static_cast<size_t>(capacity - 1));
    if (kept < utf8.size()) {
        kept = platform::wholeUtf8Length(utf8.data(), kept);
    }
    std::memcpy(target, utf8.data(), kept);
    target[kept] = '\0';
}

}  // namespace

std::string aircraftName(const char* text, size_t length) {
    // Like any value, the name ends at its first NUL.
    const std::string name = unescaped(text, strnlen(text, length));
    return platform::systemTextToUtf8(name.data(), name.size());
}

const FlightValue* answeredValue(const char* text, int32_t length) {
    // A shorter answer has no complete code and separator, hence no value to apply.
    if (text == nullptr || length < kValueOffset) {
        return nullptr;
    }
    return flightValueAnswered(text);
}

int32_t IL2Data::parseAnswer(const char* text, int32_t length) {
    const FlightValue* value = answeredValue(text, length);
    if (value == nullptr) {
        return 0;
    }
    if (isText(*value)) {
        copyName(text, length, plane, kPlaneCapacity);
        return 0;
    }
    // strtod reads the number in the "C" locale, which is in force because the program never
    // changes it; it stops at the first character that cannot continue the number, and a text
    // without a leading number gives 0.
    char buffer[kWorkBufferSize];
    copyValueText(text, length, buffer, kWorkBufferSize);
    this->*(value->field) = static_cast<float>(std::strtod(buffer, nullptr));
    return 0;
}
