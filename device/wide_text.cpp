#include "device/wide_text.h"

#include <cstring>

#include "platform/utf8.h"

std::wstring toWide(const char* text) {
    std::wstring wide;
    if (text == nullptr) {
        return wide;
    }
    const size_t length = std::strlen(text);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    wide.reserve(length);
    size_t i = 0;
    while (i < length) {
        // Most text of a line is ASCII; it needs no decoding.
        if (bytes[i] < 0x80) {
            wide += static_cast<wchar_t>(bytes[i]);
            ++i;
            continue;
        }
        char32_t codePoint;
        size_t used = platform::decodeUtf8(bytes + i, length - i, &codePoint);
        if (used > 0) {
            platform::appendWide(wide, codePoint);
            i += used;
        } else {
            wide += L'\uFFFD';
            ++i;
        }
    }
    return wide;
}
