#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "display/il2display.h"
#include "tools/preview/finding.h"

// Characters on one line of the display.
constexpr size_t kDisplayColumns = 16;

// The characters that the device receives for `text`, decoded as the
// program decodes it for the vendor's library.
std::wstring displayedCharacters(const char* text);

// A finding for each configured line whose text, as `display` now holds it,
// is wider than the display. `values` says where the values came from
// ("sample values", say), since the width depends on them.
void checkOverflow(const IL2Display& display, const std::vector<int32_t>& tokenLines,
                   const std::string& values, Findings* findings);

// Every page of `display` as the device shows it: three rows framed at the
// display's width, each labelled with the file line of its <line>, marked
// with '!' when a finding is on that line, else with '?' when its value went
// unanswered (one of `unansweredLines`), and with what does not fit written
// past the frame. Control characters show as '?'. Plain ASCII apart from the
// texts themselves, so it pastes anywhere.
std::string renderPages(const IL2Display& display, const std::vector<int32_t>& tokenLines,
                        const Findings& findings, const std::vector<int32_t>& unansweredLines);
