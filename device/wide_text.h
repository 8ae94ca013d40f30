#pragma once

#include <string>

#include "platform/code_page.h"

// The wide text that the display library takes, from the program's 8-bit
// text. The texts of config.xml reach us as UTF-8 from the XML parser, while
// the aircraft's name comes from the simulator in the system's 8-bit code
// page, and one line may hold both: every valid UTF-8 sequence is decoded as
// UTF-8, and each run of other bytes is converted from `codePage` as a whole,
// so that the characters of double-byte code pages stay whole. A null text
// gives an empty one.
std::wstring toWide(const char* text, unsigned codePage = platform::kSystemCodePage);
