#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Opens the file at `path` (UTF-8) as std::fopen does, errno included. On
// Windows by its wide-character name, so that every name opens, not only
// those that the ANSI code page can spell.
FILE* openFile(const std::string& path, const char* mode);

// Appends everything from the position of `file` to its end to *bytes, as
// std::fread gives it. False when a read fails; errno then says why.
bool readToEnd(FILE* file, std::string* bytes);

// True when `path` (UTF-8) names a file; false for a folder or nothing.
bool isFile(const std::string& path);

// The working folder as UTF-8; empty when it cannot be told.
std::string currentFolder();

}  // namespace platform
