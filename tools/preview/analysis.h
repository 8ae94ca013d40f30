#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "display/template_token.h"
#include "tools/preview/config_source.h"
#include "tools/preview/finding.h"
#include "tools/preview/parse_notes.h"

// What the program makes of one configuration file, read with the program's
// own XML reader and configuration reader, with the file line of each
// display line, and everything the preview finds wrong with it.
struct Analysis {
    enum class State { kRead, kMalformed };
    State state = State::kRead;
    std::string parseError;  // kMalformed: expat's text, as the program prints it
    int32_t errorLine = 0;   // kMalformed: where expat stopped, 1-based
    int32_t errorColumn = 0;
    ParseNote parseNote;  // kMalformed: what to mend where, beyond expat's text

    std::vector<TemplateToken> tokens;  // as readConfiguration returns them, in file order
    std::vector<int32_t> tokenLines;    // the file line of each token's <line>
    std::string address;                // the simulator's address as the program takes it
    uint16_t port = 0;
    ConfigurationReport report;
    int32_t hostLine = 0;  // the first <il2host>'s line; 0 when there is none
    Findings findings;     // in line order
};

// Reads the part of `source` that the program reads, as the program does.
Analysis analyseSource(const ConfigSource& source);

// Puts findings in line order, keeping the order of those on one line.
void sortFindings(Findings* findings);
