#pragma once

#include <string>

namespace platform {

// Run-time loading of a shared library by its full path.
using LibraryHandle = void*;
using Symbol = void (*)();

// Null when it cannot be loaded; then *error, when given, says why in words
// a user can act on (a 64-bit library for a 32-bit program, say).
LibraryHandle loadLibrary(const wchar_t* path, std::string* error = nullptr);
Symbol findSymbol(LibraryHandle library, const char* name);  // null when missing
void freeLibrary(LibraryHandle library);

}  // namespace platform
