#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// The command line as UTF-8: on Windows read again as wide text, since the
// C runtime's argv holds the ANSI code page, which cannot spell every path
// (C:\Łódź\config.xml would read C:\L?dz\config.xml). POSIX passes argv
// through. argv[0] is the program.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// Writes UTF-8 `text` to `stream` (stdout or stderr) so that every character
// shows as written. A Windows console takes it as wide text, whatever its code
// page; a pipe, a file, and POSIX get the UTF-8 bytes.
void writeText(FILE* stream, const std::string& text);

}  // namespace platform
