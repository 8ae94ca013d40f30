#include "platform/win32/console_window.h"

#include <windows.h>

namespace platform {
namespace {

bool isConsole(DWORD stream) {
    // Only a console handle has a console mode; a pipe, a file or NUL has
    // none (the C runtime's _isatty takes NUL for a terminal).
    DWORD mode;
    return GetConsoleMode(GetStdHandle(stream), &mode) != 0;
}

}  // namespace

bool windowWouldVanish(const ConsoleFacts& facts) {
    return facts.processCount == 1 && facts.inputIsConsole && facts.outputIsConsole &&
           facts.errorIsConsole;
}

ConsoleFacts currentConsoleFacts() {
    ConsoleFacts facts;
    // The count is that of every process attached, even beyond the room in
    // the list; 0 without a console.
    DWORD ids[4];
    facts.processCount = GetConsoleProcessList(ids, 4);
    facts.inputIsConsole = isConsole(STD_INPUT_HANDLE);
    facts.outputIsConsole = isConsole(STD_OUTPUT_HANDLE);
    facts.errorIsConsole = isConsole(STD_ERROR_HANDLE);
    return facts;
}

}  // namespace platform
