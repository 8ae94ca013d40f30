#include "platform/code_page.h"

#include <windows.h>

#include <climits>

namespace platform {

wchar_t codePageChar(unsigned char byte) {
    const char narrow = static_cast<char>(byte);
    wchar_t wide;
    if (MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &wide, 1) != 1) {
        // A lead byte of a double-byte code page has no character of its own;
        // it keeps its Latin-1 meaning, as on POSIX.
        return static_cast<wchar_t>(byte);
    }
    return wide;
}

namespace {

// Whether the text's last byte is a lead byte with no trail byte after it.
// Only a walk from the start tells: a trail byte may have a lead byte's value.
bool endsWithLoneLeadByte(const char* text, size_t length, unsigned codePage) {
    size_t i = 0;
    while (i < length) {
        i += IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[i])) ? 2 : 1;
    }
    return i > length;
}

}  // namespace

std::wstring fromCodePage(const char* text, size_t length, unsigned codePage) {
    // What MultiByteToWideChar makes of a cut character is not documented
    // (nothing, '?', the code page's default); here it is always U+FFFD.
    if (endsWithLoneLeadByte(text, length, codePage)) {
        return fromCodePage(text, length - 1, codePage) + L'\uFFFD';
    }
    const int count = length <= INT_MAX ? static_cast<int>(length) : 0;
    int wideCount = count > 0 ? MultiByteToWideChar(codePage, 0, text, count, nullptr, 0) : 0;
    std::wstring wide(static_cast<size_t>(wideCount), L'\0');
    if (wideCount > 0 &&
        MultiByteToWideChar(codePage, 0, text, count, &wide[0], wideCount) == wideCount) {
        return wide;
    }
    // A code page that Windows does not know: each byte keeps its Latin-1
    // meaning, as on POSIX.
    wide.clear();
    for (size_t i = 0; i < length; ++i) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
    }
    return wide;
}

std::string systemTextToUtf8(const char* text, size_t length) {
    return codePageToUtf8(text, length);
}

}  // namespace platform
