#pragma once

#include <cstdint>

namespace platform {

// A thread procedure: one pointer-sized argument, an unsigned 32-bit status.
using ThreadProc = uint32_t (*)(void* argument);

// Starts `proc(argument)` on a new thread that runs until the process ends
// (it is never joined) and returns the new thread's id, the same number that
// currentThreadId() gives inside it. A thread that cannot be created ends the
// process with "Cannot start <name>. Error : <code>" on standard error.
uint32_t startThread(const char* name, ThreadProc proc, void* argument);

// The kernel's ids: on POSIX the main thread's id equals the process id, and
// every thread id can be found under /proc/<pid>/task.
uint32_t currentProcessId();
uint32_t currentThreadId();

void sleepMs(uint32_t milliseconds);

}  // namespace platform
