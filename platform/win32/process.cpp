#include "platform/process.h"

#include <conio.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/win32/console_window.h"

// mingw-w64's printf locks the stream with a _lock_file of its own, which
// takes a lock from the table of Microsoft's msvcrt.dll by its index there.
// Wine's msvcrt numbers that table differently, so under Wine a printf on one
// thread and an fputs on another mixed their characters within one line.
// These take the place of mingw-w64's pair and call the functions that
// msvcrt.dll exports (every msvcrt.dll since Windows XP does); the linker
// prefers them because this object is in every program that ends through
// exitFailure. The runtime headers declare the pair as imported, which is
// exactly what is not meant here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
extern "C" {

using StreamLockFunction = void(__cdecl*)(FILE*);

static StreamLockFunction runtimeFunction(const char* name) {
    FARPROC function = GetProcAddress(GetModuleHandleA("msvcrt.dll"), name);
    return reinterpret_cast<StreamLockFunction>(reinterpret_cast<void (*)()>(function));
}

void __cdecl _lock_file(FILE* stream) {
    static const StreamLockFunction lock = runtimeFunction("_lock_file");
    lock(stream);
}

void __cdecl _unlock_file(FILE* stream) {
    static const StreamLockFunction unlock = runtimeFunction("_unlock_file");
    unlock(stream);
}

}  // extern "C"
#pragma GCC diagnostic pop

namespace platform {
namespace {

// Ctrl-C, Ctrl-Break and closing the console end the process at once. The
// default handler calls ExitProcess, which first stops the other threads
// wherever they are and then runs the loaded libraries' clean-up; a library
// that waits there for a thread of its own, or for a lock that a stopped
// thread held, would hold the end up for good. The exit code is the one the
// default handler gives.
BOOL WINAPI endOnConsoleControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void setUpConsole() {
    // The Microsoft C runtime has no line buffering (_IOLBF means full
    // buffering), so a line would sit in the buffer until it fills, and the
    // program never ends in an orderly way that would flush it. Unbuffered,
    // each line reaches the console or pipe while the program runs, and
    // nothing is left to flush when Ctrl-C ends it.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    SetConsoleCtrlHandler(endOnConsoleControl, TRUE);
}

void exitFailureAfterWait() {
    std::fflush(stdout);
    std::fflush(stderr);
    // TerminateProcess, not ExitProcess: the latter runs the loaded DLLs'
    // detach code after it has stopped the other threads, which may deadlock
    // on a lock one of them held. Nothing of the program runs after this.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(-1));
    std::_Exit(-1);
}

void keepWindowUntilKey() {
    if (!windowWouldVanish(currentConsoleFacts())) {
        return;
    }
    std::fflush(stdout);
    std::fputs("Press any key to close this window\n", stderr);
    waitForKey();
}

void exitFailure() {
    // One prompt: a thread that fails after the first one leaves its message
    // above the prompt and waits with it for the key.
    static std::atomic<bool> prompted{false};
    if (windowWouldVanish(currentConsoleFacts()) && prompted.exchange(true)) {
        for (;;) {
            Sleep(INFINITE);
        }
    }
    keepWindowUntilKey();
    exitFailureAfterWait();
}

bool processIsEnding() {
    // ntdll's own answer; no header of the Windows SDK declares it.
    using ShutdownQuery = BOOLEAN(WINAPI*)();
    static const auto inProgress = reinterpret_cast<ShutdownQuery>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlDllShutdownInProgress")));
    return inProgress != nullptr && inProgress() != FALSE;
}

void waitForKey() {
    // _getch reads the console itself, not standard input, and would wait
    // forever without one; GetConsoleMode tells a real console from a pipe,
    // a file or NUL (which the C runtime's _isatty takes for a terminal).
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode;
    if (GetConsoleMode(input, &mode)) {
        // Keys pressed earlier in the window are still queued, and one of
        // them would end the wait at once, before the message could be read.
        FlushConsoleInputBuffer(input);
        _getch();
    } else {
        std::getchar();  // EOF at once when standard input is closed
    }
}

}  // namespace platform
