#include "platform/environment.h"

#include <cstdlib>
#include <cstring>

#include "platform/code_page.h"
#include "platform/utf8.h"

namespace platform {

std::wstring environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::wstring();
    }
    return fromUtf8(value, std::strlen(value), codePageChar);
}

}  // namespace platform
