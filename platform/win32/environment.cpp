#include "platform/environment.h"

#include <windows.h>

namespace platform {

std::wstring environmentVariable(const char* name) {
    std::wstring wideName(name, name + std::char_traits<char>::length(name));
    std::wstring value(MAX_PATH, L'\0');
    // Too small a buffer gives the size needed, terminator included; the
    // variable may change between the calls, hence the loop.
    for (;;) {
        DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(),
                                               static_cast<DWORD>(value.size()));
        if (length == 0) {
            return std::wstring();  // not set, or set to nothing
        }
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);
    }
}

}  // namespace platform
