#include "platform/thread.h"

#include <windows.h>

#include <cstdio>

#include "platform/process.h"

namespace platform {
namespace {

// What the new thread is to run; it owns and deletes the block.
struct StartBlock {
    ThreadProc proc;
    void* argument;
};

// A named procedure, not a lambda: on 32-bit Windows a thread procedure is
// __stdcall, which a captureless lambda does not convert to.
DWORD WINAPI threadMain(LPVOID raw) {
    auto* block = static_cast<StartBlock*>(raw);
    ThreadProc proc = block->proc;
    void* argument = block->argument;
    delete block;
    return proc(argument);
}

}  // namespace

uint32_t startThread(const char* name, ThreadProc proc, void* argument) {
    auto* block = new StartBlock{proc, argument};
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, threadMain, block, 0, &id);
    if (thread == nullptr) {
        std::fprintf(stderr, "Cannot start %s. Error : %lu\n", name, GetLastError());
        exitFailure();
    }
    // The thread is never joined; its id is all the caller keeps.
    CloseHandle(thread);
    return id;
}

uint32_t currentProcessId() {
    return GetCurrentProcessId();
}

uint32_t currentThreadId() {
    return GetCurrentThreadId();
}

void sleepMs(uint32_t milliseconds) {
    Sleep(milliseconds);
}

}  // namespace platform
