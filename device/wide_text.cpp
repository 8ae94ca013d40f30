#include "device/wide_text.h"

#include <cstring>

#include "platform/code_page.h"
#include "platform/utf8.h"

std::wstring toWide(const char* text) {
    if (text == nullptr) {
        return std::wstring();
    }
    return platform::fromUtf8(text, std::strlen(text), platform::codePageChar);
}
