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

std::optional<std::string> environmentText(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

// Not safe while another thread reads the environment, as the header says.
bool setEnvironmentVariable(const char* name, const std::string& value) {
    return setenv(name, value.c_str(), 1) == 0;  // NOLINT(concurrency-mt-unsafe)
}

bool clearEnvironmentVariable(const char* name) {
    return unsetenv(name) == 0;  // NOLINT(concurrency-mt-unsafe)
}

}  // namespace platform
