#pragma once

namespace platform {

// Makes standard output line-buffered (standard error stays unbuffered): the
// program never ends in an orderly way, so a line held in a buffer is lost.
// Windows' C runtime has no line buffering; there standard output is
// unbuffered, and each line still reaches the console or pipe whole. On
// Windows, Ctrl-C, Ctrl-Break and closing the console then end the process at
// once, without the libraries' clean-up.
void setUpConsole();

// Ends the whole process at once with exit status -1, from any thread. The
// standard streams are flushed first; no destructor or atexit handler runs,
// so the other threads never see objects torn down under them.
// On Windows, when the console window would close with the process (started
// from Explorer), it first prints "Press any key to close this window" on
// standard error and waits for a key, so that the message before it can be
// read; a second thread that fails meanwhile waits for that key too.
[[noreturn]] void exitFailure();

// exitFailure without the wait, for a caller that has just waited for a key
// after a message of its own.
[[noreturn]] void exitFailureAfterWait();

// The end of a tool's run (flightmfd-preview, flightmfd-sim), with the same
// rule and prompt as exitFailure: on Windows, when the console window would
// close with the process, prints "Press any key to close this window" on
// standard error and waits for a key, so that what the tool printed can be
// read. Returns at once otherwise, and always on POSIX.
void keepWindowUntilKey();

// The exit status a parent process sees after exitFailure(): the low byte of
// -1 on POSIX, -1 itself on Windows. For death tests:
// EXPECT_EXIT(..., ::testing::ExitedWithCode(platform::kExitFailureStatus), ...).
#ifdef _WIN32
constexpr int kExitFailureStatus = -1;
#else
constexpr int kExitFailureStatus = 255;
#endif

// True while the process is ending and its libraries are being unloaded
// (Windows, after ExitProcess or Ctrl-C; never on POSIX, where the program
// ends without unloading). The other threads are gone or going then, and a
// library that waits for one of its own there can hang the end for good.
bool processIsEnding();

// Waits for one key (one character of standard input). A closed or absent
// standard input returns at once instead of hanging. On a Windows console,
// keys pressed before the wait do not count.
void waitForKey();

}  // namespace platform
