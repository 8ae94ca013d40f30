#include "platform/code_page.h"

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

}  // namespace platform
