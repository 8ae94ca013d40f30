#include "display/template_token.h"

#include <cstring>

#include "platform/utf8.h"

namespace {

// Copies at most capacity - 1 bytes and zero-fills the rest of the buffer, so a long
// configured text is cut rather than written past the buffer, between two of its (UTF-8)
// characters.
void copyText(char* target, const char* source, size_t capacity) {
    size_t length = 0;
    if (source != nullptr) {
        while (length < capacity - 1 && source[length] != '\0') {
            ++length;
        }
        if (source[length] != '\0') {
            length = platform::wholeUtf8Length(source, length);
        }
        std::memcpy(target, source, length);
    }
    std::memset(target + length, 0, capacity - length);
}

}  // namespace

TemplateToken::TemplateToken(const char* valueName, const char* prefix, const char* unit,
                             const char* suffix)
    : unitCode(-1), autoSuffix(true) {
    copyText(this->prefix, prefix, sizeof this->prefix);
    copyText(this->valueName, valueName, sizeof this->valueName);
    copyText(this->unit, unit, sizeof this->unit);
    copyText(this->suffix, suffix, sizeof this->suffix);
}
