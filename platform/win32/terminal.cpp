#include "platform/terminal.h"

#include <windows.h>

#include "platform/code_page.h"
#include "platform/utf8.h"

namespace platform {
namespace {

HANDLE consoleOf(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool Terminal::open() {
    close();
    // CONOUT$ is the console's active screen buffer even when standard
    // output goes to a file or a pipe; without a console it cannot be opened.
    // Reading is needed too, to ask for the console's mode.
    HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) {
        return false;
    }
    // Windows 10 and later move the cursor and dim text on the escape
    // sequences once asked to; older consoles refuse the flag, and would
    // print the sequences as text.
    DWORD mode = 0;
    if (!GetConsoleMode(console, &mode) ||
        !SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
        CloseHandle(console);
        return false;
    }
    handle_ = reinterpret_cast<intptr_t>(console);
    formerMode_ = mode;
    return true;
}

bool Terminal::write(const std::string& text) {
    if (handle_ == -1) {
        return false;
    }
    // Wide text, so that the frame's characters do not depend on the
    // console's code page.
    std::wstring wide = fromUtf8(text.data(), text.size(), codePageChar);
    size_t done = 0;
    while (done < wide.size()) {
        DWORD count = 0;
        if (!WriteConsoleW(consoleOf(handle_), wide.data() + done,
                           static_cast<DWORD>(wide.size() - done), &count, nullptr) ||
            count == 0) {
            return false;  // the console is gone
        }
        done += count;
    }
    return true;
}

void Terminal::close() {
    if (handle_ != -1) {
        // The mode belongs to the screen buffer, which the program's standard
        // output and the command prompt after it share.
        SetConsoleMode(consoleOf(handle_), formerMode_);
        CloseHandle(consoleOf(handle_));
        handle_ = -1;
    }
}

}  // namespace platform
