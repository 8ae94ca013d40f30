#pragma once

#include <string>

// The wide text that the display library takes, from a display line. Every
// text is UTF-8 by the time it gets here: the texts of config.xml come so
// from the XML parser, and the aircraft's name is converted from the
// simulator's code page when its answer is parsed. A byte that is not part
// of a valid sequence becomes U+FFFD. A null text gives an empty one.
std::wstring toWide(const char* text);
