#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/template_token.h"
#include "tools/preview/finding.h"

// The value names that a display line can show, the aircraft's name first.
const std::vector<std::string>& displayableNames();

// The unit texts that a line's unit attribute may name, by unit code 0 to 9.
const std::vector<std::string>& unitTexts();

// The units in which a value can be shown without the failure value -1: its
// native unit and those it converts to. A value without a unit of its own
// (the turn indicator, say) is shown as received in any unit, which then only gives the
// label; it gets every unit text. Empty for the aircraft's name and
// unknown names.
std::vector<std::string> reachableUnits(const std::string& valueName);

// Checks one configured line, as the program's configuration reader made it
// (before the display model fills in default suffixes): its value name, its
// unit, and what a line of the aircraft's name does not use.
void checkLine(const TemplateToken& token, int32_t line, Findings* findings);
