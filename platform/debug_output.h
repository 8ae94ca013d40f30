#pragma once

#include <string>

namespace platform {

// The debugger output. On Windows OutputDebugString. On POSIX, when
// $FLIGHTMFD_DEBUG_OUTPUT names a file, each text is appended to it as UTF-8;
// otherwise it goes to syslog at LOG_DEBUG. Never to standard output or
// standard error.
void debugOutput(const char* text);
void debugOutput(const wchar_t* text);

// For tests: while a sink is set, every text goes to it as UTF-8 in place of
// the debugger output, so that a test reads what a debugger would have shown
// on every platform. Returns the sink it replaces; null is the debugger
// output. Swapped while no other thread writes.
using DebugSink = void (*)(const std::string& text);
DebugSink swapDebugSink(DebugSink sink);

// The debugger output itself, the platform's half, which debugOutput uses
// while no sink is set.
void systemDebugOutput(const char* text);
void systemDebugOutput(const wchar_t* text);

}  // namespace platform
