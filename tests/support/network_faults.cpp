// Loaded into the program under test with LD_PRELOAD, this makes its sends
// and receives fail as they do when the network goes away, with no hook in
// the program: inside each time window of FLIGHTMFD_NETWORK_FAULTS, every
// send() and recvmsg() (the calls of the program's POSIX socket layer) fails
// with that window's error number.
//
//   FLIGHTMFD_NETWORK_FAULTS=START:SECONDS:ERRNO[,START:SECONDS:ERRNO...]
//
// START and SECONDS count from the first send or receive of the process. A
// receive that is waiting when a window opens fails within 50 ms, as it does
// when an ICMP report of the lost network arrives. It reads the plan through
// the platform layer, linked in, as the program reads its environment.

// The socket calls that it stands in for, and dlsym to reach the real ones.
#include <dlfcn.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/environment.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Window {
    double start;
    double end;
    int error;
};

struct Plan {
    Clock::time_point origin;
    std::vector<Window> windows;
};

Plan readPlan() {
    Plan plan{Clock::now(), {}};
    const std::string faults = platform::environmentText("FLIGHTMFD_NETWORK_FAULTS").value_or("");
    const char* text = faults.c_str();
    while (text != nullptr && *text != '\0') {
        char* end = nullptr;
        double start = std::strtod(text, &end);
        double seconds = *end == ':' ? std::strtod(end + 1, &end) : 0;
        long error = *end == ':' ? std::strtol(end + 1, &end, 10) : 0;
        if (error > 0) {
            plan.windows.push_back(Window{start, start + seconds, static_cast<int>(error)});
        }
        text = *end == ',' ? end + 1 : nullptr;
    }
    return plan;
}

// The error to fail with now, or 0. The first call starts the clock.
int injectedError() {
    static const Plan plan = readPlan();
    double now = std::chrono::duration<double>(Clock::now() - plan.origin).count();
    for (const Window& window : plan.windows) {
        if (now >= window.start && now < window.end) {
            return window.error;
        }
    }
    return 0;
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" ssize_t send(int socket, const void* data, size_t length, int flags) {
    static const auto realSend = next<ssize_t (*)(int, const void*, size_t, int)>("send");
    if (int error = injectedError()) {
        errno = error;
        return -1;
    }
    return realSend(socket, data, length, flags);
}

extern "C" ssize_t recvmsg(int socket, msghdr* message, int flags) {
    static const auto realRecvmsg = next<ssize_t (*)(int, msghdr*, int)>("recvmsg");
    for (;;) {
        if (int error = injectedError()) {
            errno = error;
            return -1;
        }
        // Waits in steps, so that a window that opens meanwhile is seen.
        pollfd waiting{socket, POLLIN, 0};
        if (poll(&waiting, 1, 50) != 0 && injectedError() == 0) {
            return realRecvmsg(socket, message, flags);
        }
    }
}
