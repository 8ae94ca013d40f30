#include "platform/library.h"

#include <dlfcn.h>

#include <string>

#include "platform/utf8.h"

namespace platform {

LibraryHandle loadLibrary(const wchar_t* path, std::string* error) {
    // dlopen takes an empty name for the program itself, which is no library
    // at all; Windows refuses to load an empty name, and so do we.
    if (path == nullptr || path[0] == L'\0') {
        if (error != nullptr) {
            *error = "no path given";
        }
        return nullptr;
    }
    LibraryHandle library = dlopen(toUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr && error != nullptr) {
        const char* text = dlerror();
        *error = text != nullptr ? text : "unknown error";
    }
    return library;
}

Symbol findSymbol(LibraryHandle library, const char* name) {
    // POSIX allows the object-to-function pointer conversion that dlsym needs.
    return reinterpret_cast<Symbol>(dlsym(library, name));
}

void freeLibrary(LibraryHandle library) {
    dlclose(library);
}

}  // namespace platform
