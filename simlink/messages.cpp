#include "simlink/messages.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <algorithm>
#include <string>

#include "display/il2data.h"
#include "platform/code_page.h"
#include "platform/utf8.h"

const char* const kQueryTexts[kQueryCount] = {
    "R/22", "R/30", "R/32", "R/34", "R/36", "R/38", "R/40", "R/42", "R/44", "R/46", "R/48",
    "R/50", "R/80", "R/82", "R/84", "R/86", "R/88", "R/92", "R/94", "R/96", "R/98",
};

namespace {

// An answer starts with "A/" and the code, then one separator byte that is never examined; the
// value's text runs from there to the end of the datagram.
constexpr int32_t kCodeLength = 4;
constexpr int32_t kValueOffset = 5;
constexpr int32_t kWorkBufferSize = 1024;

struct AnswerCode {
    const char* prefix;
    float IL2Data::*field;  // null for the aircraft name, the one text value
    const char* name;       // the field's name
};

// In the order of the queries, which is also the order in which an answer's code is tested.
constexpr AnswerCode kAnswerCodes[kQueryCount] = {
    {"A/22", nullptr, "plane"},
    {"A/30", &IL2Data::speedometer_indicated, "speedometer_indicated"},
    {"A/32", &IL2Data::variometer, "variometer"},
    {"A/34", &IL2Data::slip, "slip"},
    {"A/36", &IL2Data::turn, "turn"},
    {"A/38", &IL2Data::angular_speed, "angular_speed"},
    {"A/40", &IL2Data::altimeter, "altimeter"},
    {"A/42", &IL2Data::azimuth, "azimuth"},
    {"A/44", &IL2Data::beacon_azimuth, "beacon_azimuth"},
    {"A/46", &IL2Data::roll, "roll"},
    {"A/48", &IL2Data::pitch, "pitch"},
    {"A/50", &IL2Data::fuel, "fuel"},
    {"A/80", &IL2Data::power, "power"},
    {"A/82", &IL2Data::flaps, "flaps"},
    {"A/84", &IL2Data::aileron, "aileron"},
    {"A/86", &IL2Data::elevator, "elevator"},
    {"A/88", &IL2Data::rudder, "rudder"},
    {"A/92", &IL2Data::propPitch, "propPitch"},
    {"A/94", &IL2Data::aileronTrim, "aileronTrim"},
    {"A/96", &IL2Data::elevatorTrim, "elevatorTrim"},
    {"A/98", &IL2Data::rudderTrim, "rudderTrim"},
};

const AnswerCode* findAnswerCode(const char* text) {
    for (const AnswerCode& code : kAnswerCodes) {
        if (std::memcmp(text, code.prefix, kCodeLength) == 0) {
            return &code;
        }
    }
    return nullptr;
}

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

// The aircraft's name comes in the simulator's 8-bit code page (the ANSI one
// on Windows), while every display line holds UTF-8; so it is converted here,
// once, and cut at capacity - 1 bytes on a character boundary. Like any value,
// it ends at its first NUL.
void copyName(const char* text, int32_t length, char* target, int32_t capacity) {
    const char* name = text + kValueOffset;
    const size_t count = strnlen(name, static_cast<size_t>(length - kValueOffset));
    const std::string utf8 = platform::codePageToUtf8(name, count);
    size_t kept = std::min(utf8.size(), static_cast<size_t>(capacity - 1));
    if (kept < utf8.size()) {
        kept = platform::wholeUtf8Length(utf8.data(), kept);
    }
    std::memcpy(target, utf8.data(), kept);
    target[kept] = '\0';
}

}  // namespace

const char* queryValueName(int index) {
    return index >= 0 && index < kQueryCount ? kAnswerCodes[index].name : "";
}

int32_t IL2Data::parseAnswer(const char* text, int32_t length) {
    // A shorter answer has no complete code and separator, hence no value to apply.
    if (text == nullptr || length < kValueOffset) {
        return 0;
    }
    const AnswerCode* code = findAnswerCode(text);
    if (code == nullptr) {
        return 0;
    }
    if (code->field == nullptr) {
        copyName(text, length, plane, kPlaneCapacity);
        return 0;
    }
    // strtod reads the number in the "C" locale, which is in force because the program never
    // changes it; it stops at the first character that cannot continue the number, and a text
    // without a leading number gives 0.
    char buffer[kWorkBufferSize];
    copyValueText(text, length, buffer, kWorkBufferSize);
    this->*(code->field) = static_cast<float>(std::strtod(buffer, nullptr));
    return 0;
}
