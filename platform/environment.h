#pragma once

#include <string>

namespace platform {

// The value of environment variable `name` (plain ASCII) as wide text; empty
// when it is not set. Windows reads the wide environment itself; POSIX decodes
// the bytes as UTF-8, taking a byte that is not UTF-8 as a character of the
// system's 8-bit code page, as the registry stand-in does.
std::wstring environmentVariable(const char* name);

}  // namespace platform
