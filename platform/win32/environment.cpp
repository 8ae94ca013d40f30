#include "platform/environment.h"

#include <windows.h>

#include "platform/code_page.h"
#include "platform/utf8.h"

namespace platform {
namespace {

std::wstring wideName(const char* name) {
    return std::wstring(name, name + std::char_traits<char>::length(name));
}

// The wide value; nothing when the variable is not set.
std::optional<std::wstring> wideValue(const char* name) {
    const std::wstring wide = wideName(name);
    std::wstring value(MAX_PATH, L'\0');
    // Too small a buffer gives the size needed, terminator included; the
    // variable may change between the calls, hence the loop.
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        DWORD length =
            GetEnvironmentVariableW(wide.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            // Zero is also the length of a variable set to nothing.
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return std::nullopt;
            }
            return std::wstring();
        }
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);
    }
}

}  // namespace

std::wstring environmentVariable(const char* name) {
    return wideValue(name).value_or(std::wstring());
}

std::optional<std::string> environmentText(const char* name) {
    std::optional<std::wstring> value = wideValue(name);
    if (!value) {
        return std::nullopt;
    }
    return toUtf8(*value);
}

// The process's own environment block, which GetEnvironmentVariableW reads
// and CreateProcess passes on; the C runtime's copy for getenv is left alone,
// since nothing of ours reads that.
bool setEnvironmentVariable(const char* name, const std::string& value) {
    return SetEnvironmentVariableW(wideName(name).c_str(),
                                   fromUtf8(value.data(), value.size(), codePageChar).c_str()) !=
           FALSE;
}

bool clearEnvironmentVariable(const char* name) {
    return SetEnvironmentVariableW(wideName(name).c_str(), nullptr) != FALSE ||
           GetLastError() == ERROR_ENVVAR_NOT_FOUND;
}

}  // namespace platform
