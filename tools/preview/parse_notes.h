#pragma once

#include <cstdint>
#include <string>

#include "config/xml_reader.h"

// What a user needs beside expat's text for a parse error, tied to the place
// in the file where it can be mended.
struct ParseNote {
    int32_t line = 0;    // 0: nothing to add
    int32_t column = 0;  // 0: the whole line
    std::string message;
};

// Explains the parse error `error` in the file `bytes`, where
// expat's words leave a user alone: a file saved in another encoding than
// UTF-8 (with what to do in Notepad), and an element left open (where it was
// opened, not where the parser noticed).
ParseNote explainParseError(const std::string& bytes, const XmlParseError& error);
