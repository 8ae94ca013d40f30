#include "platform/library.h"

#include <windows.h>

#include "platform/utf8.h"

namespace platform {
namespace {

std::string systemText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length > 0 ? std::wstring(text, length) : std::wstring();
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L'.' || message.back() == L' ')) {
        message.pop_back();
    }
    return toUtf8(message);
}

// The two failures users meet, in words of their own: the system's texts for
// them ("%1 is not a valid Win32 application", "The specified module could
// not be found") do not say what to look for.
std::string loadErrorText(DWORD code) {
    const std::string number = "Windows error " + std::to_string(code);
    switch (code) {
        case ERROR_BAD_EXE_FORMAT:
            return std::string("not a library that a ") + (sizeof(void*) == 4 ? "32" : "64") +
                   "-bit program can load (" + number + ")";
        case ERROR_MOD_NOT_FOUND:
            return "it, or a library that it needs, is missing (" + number + ")";
        default: {
            const std::string text = systemText(code);
            return text.empty() ? number : text + " (" + number + ")";
        }
    }
}

}  // namespace

LibraryHandle loadLibrary(const wchar_t* path, std::string* error) {
    HMODULE library = LoadLibraryW(path);
    if (library == nullptr && error != nullptr) {
        *error = loadErrorText(GetLastError());
    }
    return library;
}

Symbol findSymbol(LibraryHandle library, const char* name) {
    return reinterpret_cast<Symbol>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void freeLibrary(LibraryHandle library) {
    FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace platform
