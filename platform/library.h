#pragma once

namespace platform {

// Run-time loading of a shared library by its full path.
using LibraryHandle = void*;
using Symbol = void (*)();

LibraryHandle loadLibrary(const wchar_t* path);              // null when it cannot be loaded
Symbol findSymbol(LibraryHandle library, const char* name);  // null when missing
void freeLibrary(LibraryHandle library);

}  // namespace platform
