#include "platform/terminal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

bool Terminal::open() {
    close();
    // Without a controlling terminal (a service, a test runner, CI) the open
    // fails. O_NOCTTY: a process without one must not gain this one.
    int fd = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    handle_ = fd;
    return true;
}

bool Terminal::write(const std::string& text) {
    if (handle_ < 0) {
        return false;
    }
    size_t done = 0;
    while (done < text.size()) {
        ssize_t count = ::write(static_cast<int>(handle_), text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;  // hung up: nobody is watching any more
        }
        done += static_cast<size_t>(count);
    }
    return true;
}

void Terminal::close() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
        handle_ = -1;
    }
}

}  // namespace platform
