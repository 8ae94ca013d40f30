#pragma once

namespace platform {

// Makes standard output line-buffered (standard error stays unbuffered): the
// program never ends in an orderly way, so a line held in a buffer is lost.
// Windows' C runtime has no line buffering; there standard output is
// unbuffered, and each line still reaches the console or pipe whole.
void setUpConsole();

// Ends the whole process at once with exit status -1, from any thread. The
// standard streams are flushed first; no destructor or atexit handler runs,
// so the other threads never see objects torn down under them.
[[noreturn]] void exitFailure();

// The exit status a parent process sees after exitFailure(): the low byte of
// -1 on POSIX, -1 itself on Windows. For death tests:
// EXPECT_EXIT(..., ::testing::ExitedWithCode(platform::kExitFailureStatus), ...).
#ifdef _WIN32
constexpr int kExitFailureStatus = -1;
#else
constexpr int kExitFailureStatus = 255;
#endif

// Waits for one key (one character of standard input). A closed or absent
// standard input returns at once instead of hanging.
void waitForKey();

}  // namespace platform
