#pragma once

#include <optional>
#include <string>

namespace platform {

// The value of environment variable `name` (plain ASCII) as wide text; empty
// when it is not set. Windows reads the wide environment itself; POSIX decodes
// the bytes as UTF-8, taking a byte that is not UTF-8 as a character of the
// system's 8-bit code page, as the registry stand-in does.
std::wstring environmentVariable(const char* name);

// The value of `name` as narrow text, spelt as platform/files.h takes a path:
// POSIX gives the bytes as they are, Windows its wide value as UTF-8. Nothing
// when the variable is not set.
std::optional<std::string> environmentText(const char* name);

// Sets `name` to `value` (narrow text as environmentText gives it), or removes
// it, for this process and the programs it starts from then on. False when
// the system refuses. Not safe while another thread reads the environment.
bool setEnvironmentVariable(const char* name, const std::string& value);
bool clearEnvironmentVariable(const char* name);

}  // namespace platform
