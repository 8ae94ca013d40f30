#pragma once

#include <string>
#include <vector>

#include "display/il2data.h"
#include "display/template_token.h"

// The configuration that every measurement uses: 27 display lines on nine
// full pages, a large configuration as a user would write it. The first twelve
// show every displayable value once, in its own unit, so that a value's text
// can be read back from its line; the rest show values in other units and
// with suffixes of their own, as a full configuration would.
struct ConfiguredLine {
    const char* valueName;
    const char* prefix;
    const char* unit;
    const char* suffix;
};

constexpr int kConfiguredLineCount = 27;
// Lines 0 to kOwnUnitLineCount - 1 show their value in the unit it arrives in.
constexpr int kOwnUnitLineCount = 12;
extern const ConfiguredLine kTwentySevenLines[kConfiguredLineCount];

// The lines as the configuration reader makes them.
std::vector<TemplateToken> twentySevenTokens();

// config.xml with the simulator at 127.0.0.1:`port` and the 27 lines.
std::string twentySevenLinesXml(int port);

// A record in flight: every displayed value non-zero, the name as the
// simulator sends it.
IL2Data flyingRecord();
