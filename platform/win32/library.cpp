#include "platform/library.h"

#include <windows.h>

namespace platform {

LibraryHandle loadLibrary(const wchar_t* path) {
    return LoadLibraryW(path);
}

Symbol findSymbol(LibraryHandle library, const char* name) {
    return reinterpret_cast<Symbol>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void freeLibrary(LibraryHandle library) {
    FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace platform
