#include "platform/utf8.h"

#include "platform/code_page.h"

namespace platform {
namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = 0xFFFD;
    }
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

void appendWide(std::wstring& out, char32_t c) {
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}

size_t decodeUtf8(const unsigned char* s, size_t available, char32_t* codePoint) {
    if (available == 0) {
        return 0;
    }
    unsigned char lead = s[0];
    size_t length;
    char32_t c;
    char32_t minimum;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (length > available) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (s[i] & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not UTF-8.
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return 0;
    }
    *codePoint = c;
    return length;
}

bool isUtf8(const char* text, size_t length) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t i = 0;
    while (i < length) {
        char32_t ignored;
        const size_t used = decodeUtf8(bytes + i, length - i, &ignored);
        if (used == 0) {
            return false;
        }
        i += used;
    }
    return true;
}

size_t wholeUtf8Length(const char* text, size_t length) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    // A sequence is at most four bytes: its lead and up to three more.
    size_t lead = length;
    while (lead > 0 && length - lead < 3 && (bytes[lead - 1] & 0xC0) == 0x80) {
        --lead;
    }
    if (lead == 0) {
        return length;
    }
    --lead;
    const unsigned char first = bytes[lead];
    const size_t needed = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    return length - lead < needed ? lead : length;
}

std::string toUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (sizeof(wchar_t) == 2) {
            c &= 0xFFFF;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
                char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        appendUtf8(out, c);
    }
    return out;
}

std::string toUtf8(const wchar_t* text) {
    return toUtf8(std::wstring(text));
}

std::wstring fromUtf8(const char* text, size_t length, wchar_t (*fallback)(unsigned char)) {
    std::wstring out;
    out.reserve(length);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t i = 0;
    while (i < length) {
        char32_t c;
        size_t used = decodeUtf8(bytes + i, length - i, &c);
        if (used == 0) {
            out += fallback(bytes[i]);
            ++i;
        } else {
            appendWide(out, c);
            i += used;
        }
    }
    return out;
}

std::string codePageToUtf8(const char* text, size_t length, unsigned codePage) {
    size_t ascii = 0;
    while (ascii < length && static_cast<unsigned char>(text[ascii]) < 0x80) {
        ++ascii;
    }
    // Every code page that Windows offers as the ANSI one reads ASCII as ASCII.
    if (ascii == length) {
        return std::string(text, length);
    }
    return toUtf8(fromCodePage(text, length, codePage));
}

}  // namespace platform
