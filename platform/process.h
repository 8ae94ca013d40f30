#pragma once

namespace platform {

// Makes standard output line-buffered (standard error stays unbuffered): the
// program never ends in an orderly way, so a line held in a buffer is lost.
void setUpConsole();

// Ends the whole process at once with exit status -1, from any thread. The
// standard streams are flushed first; no destructor or atexit handler runs,
// so the other threads never see objects torn down under them.
[[noreturn]] void exitFailure();

// Waits for one key (one character of standard input). A closed or absent
// standard input returns at once instead of hanging.
void waitForKey();

}  // namespace platform
