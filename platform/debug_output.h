#pragma once

namespace platform {

// The debugger output. On POSIX, when $FLIGHTMFD_DEBUG_OUTPUT names a file,
// each text is appended to it as UTF-8; otherwise it goes to syslog at
// LOG_DEBUG. Never to standard output or standard error.
void debugOutput(const char* text);
void debugOutput(const wchar_t* text);

}  // namespace platform
