#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The terminal that the user watches, opened apart from standard output to
// draw on it with terminal control sequences (cursor moves, dimmed text):
// on POSIX the controlling terminal, /dev/tty; on Windows the process's
// console, CONOUT$, switched to understand the sequences while it is open.
// It is there also when standard output goes to a file or a pipe. One owner;
// not for use from two threads at once.
class Terminal {
  public:
    Terminal() = default;
    ~Terminal() { close(); }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // False, and nothing open, when the process has no terminal, or when its
    // console cannot take the sequences (Windows before Windows 10).
    bool open();
    // Writes `text`, UTF-8, in one piece, so that the program's own lines
    // cannot cut into it. False once the terminal is gone.
    bool write(const std::string& text);
    // Closes it, giving a console its former mode back; harmless when closed.
    void close();

  private:
    intptr_t handle_ = -1;  // file descriptor, or console handle
    // The console's mode before open(); POSIX has none to give back.
    [[maybe_unused]] uint32_t formerMode_ = 0;
};

}  // namespace platform
