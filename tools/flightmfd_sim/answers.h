#pragma once

#include <string>

#include "display/framing.h"

// The simulator's side of the query interface, framed as display/framing.h
// says.

// The code of a well-formed query, or -1.
int queryCode(const char* data, int length);
inline int queryCode(const std::string& datagram) {
    return queryCode(datagram.data(), static_cast<int>(datagram.size()));
}

// The answer datagram for `code` (0 to 99) carrying `value`, in which each
// slash and backslash has a backslash before it.
std::string answerFor(int code, const std::string& value);

// The code in the text of a command-line or file entry: exactly two digits;
// -1 for anything else.
int codeOf(const std::string& text);
