#include "bench/twenty_seven_lines.h"

#include <cstring>

const ConfiguredLine kTwentySevenLines[kConfiguredLineCount] = {
    {"plane", "", "", ""},
    {"speedometer_indicated", "IAS", "", ""},
    {"altimeter", "ALT", "", ""},
    {"variometer", "VS", "", ""},
    {"slip", "SLIP", "", ""},
    {"turn", "TURN", "", ""},
    {"flaps", "FLAPS", "", ""},
    {"aileron", "AIL", "", ""},
    {"propPitch", "PITCH", "", ""},
    {"aileronTrim", "TRIM A", "", ""},
    {"elevatorTrim", "TRIM E", "", ""},
    {"rudderTrim", "TRIM R", "", ""},
    {"speedometer_indicated", "IAS", "kn", ""},
    {"speedometer_indicated", "IAS", "mph", ""},
    {"speedometer_indicated", "IAS", "mps", "m/s"},
    {"altimeter", "ALT", "ft", ""},
    {"altimeter", "ALT", "km", ""},
    {"variometer", "VS", "mps", "m/s"},
    {"slip", "SLIP", "dg", ""},
    {"turn", "TURN", "none", "dg/s"},
    {"flaps", "FLAPS", "none", "%"},
    {"aileron", "AIL", "none", ""},
    {"propPitch", "PROP", "", "%"},
    {"plane", "A/C", "", ""},
    {"aileronTrim", "AT", "none", ""},
    {"elevatorTrim", "ET", "none", ""},
    {"rudderTrim", "RT", "none", ""},
};

std::vector<TemplateToken> twentySevenTokens() {
    std::vector<TemplateToken> tokens;
    for (const ConfiguredLine& line : kTwentySevenLines) {
        tokens.emplace_back(line.valueName, line.prefix, line.unit, line.suffix);
    }
    return tokens;
}

std::string twentySevenLinesXml(int port) {
    std::string xml =
        "<flightmfd>\n  <il2host ipAddress=\"127.0.0.1\" port=\"" + std::to_string(port) + "\"/>\n";
    for (const ConfiguredLine& line : kTwentySevenLines) {
        xml += "  <line prefix=\"" + std::string(line.prefix) + "\" unit=\"" + line.unit +
               "\" suffix=\"" + line.suffix + "\">" + line.valueName + "</line>\n";
    }
    return xml + "</flightmfd>\n";
}

IL2Data flyingRecord() {
    IL2Data data;
    std::strcpy(data.plane, "Bf 109 G-2");
    data.speedometer_indicated = 312.5f;
    data.variometer = -2.35f;
    data.slip = 0.4f;
    data.turn = -0.02f;
    data.altimeter = 1520.7f;
    data.flaps = 0.25f;
    data.aileron = -0.12f;
    data.propPitch = 78.0f;
    data.aileronTrim = 0.01f;
    data.elevatorTrim = -0.04f;
    data.rudderTrim = 0.02f;
    return data;
}
