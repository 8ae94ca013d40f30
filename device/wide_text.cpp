#include "device/wide_text.h"

#include <cstring>

#include "platform/utf8.h"

namespace {

bool startsUtf8(const char* text, size_t available) {
    char32_t unused;
    return platform::decodeUtf8(reinterpret_cast<const unsigned char*>(text), available, &unused) >
           0;
}

// The end of the run of bytes that are not UTF-8 beginning at `start`. A
// double-byte character is taken whole, as its trail byte may look like
// ASCII (Shift-JIS 0x83 0x41 is one katakana).
size_t endOfCodePageRun(const char* text, size_t start, size_t length, unsigned codePage) {
    size_t end = start;
    do {
        end += platform::codePageCharLength(text + end, length - end, codePage);
    } while (end < length && !startsUtf8(text + end, length - end));
    return end;
}

}  // namespace

std::wstring toWide(const char* text, unsigned codePage) {
    std::wstring wide;
    if (text == nullptr) {
        return wide;
    }
    const size_t length = std::strlen(text);
    wide.reserve(length);
    size_t i = 0;
    while (i < length) {
        // Most text of a line is ASCII; it needs no decoding.
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            wide += static_cast<wchar_t>(text[i]);
            ++i;
            continue;
        }
        char32_t codePoint;
        size_t used = platform::decodeUtf8(reinterpret_cast<const unsigned char*>(text + i),
                                           length - i, &codePoint);
        if (used > 0) {
            platform::appendWide(wide, codePoint);
            i += used;
        } else {
            size_t end = endOfCodePageRun(text, i, length, codePage);
            wide += platform::fromCodePage(text + i, end - i, codePage);
            i = end;
        }
    }
    return wide;
}
