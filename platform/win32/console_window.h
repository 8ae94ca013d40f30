#pragma once

#include <cstdint>

namespace platform {

// What tells whether the console window goes away with the process.
struct ConsoleFacts {
    uint32_t processCount = 0;     // processes attached to the console; 0: no console
    bool inputIsConsole = false;   // standard input is the console, not a pipe or file
    bool outputIsConsole = false;  // standard output likewise
    bool errorIsConsole = false;   // standard error likewise
};

// True when the console window closes as the process ends, taking the last
// message with it: started from Explorer or a shortcut, the process is alone
// on a console of its own. Started from a command prompt, the shell shares
// the console and keeps the window; with a standard stream redirected, the
// process was started by something that reads or feeds it, not by a click.
bool windowWouldVanish(const ConsoleFacts& facts);

// The facts of this process's console, as they are now.
ConsoleFacts currentConsoleFacts();

}  // namespace platform
