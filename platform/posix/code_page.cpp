#include "platform/code_page.h"

#include "platform/utf8.h"

namespace platform {

// Latin-1 maps each byte to the code point of the same value.
wchar_t codePageChar(unsigned char byte) {
    return static_cast<wchar_t>(byte);
}

std::wstring fromCodePage(const char* text, size_t length, unsigned) {
    std::wstring wide;
    wide.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        wide += codePageChar(static_cast<unsigned char>(text[i]));
    }
    return wide;
}

std::string systemTextToUtf8(const char* text, size_t length) {
    if (isUtf8(text, length)) {
        return std::string(text, length);
    }
    return codePageToUtf8(text, length);
}

}  // namespace platform
