// flightmfd-sim: answers the flight simulator's UDP queries on 127.0.0.1, so
// that flightmfd can be tried and tested without the simulator.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>

#include "platform/process.h"
#include "platform/sockets.h"
#include "tools/flightmfd_sim/options.h"
#include "tools/flightmfd_sim/simulator.h"
#include "tools/flightmfd_sim/udp_endpoint.h"

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void requestStop(int) {
    stopRequested = true;
}

int run(int argc, char** argv) {
    SimulatorOptions options;
    std::string error;
    switch (parseOptions(argc, argv, &options, &error)) {
        case ParseResult::kHelp:
            std::fputs(usageText().c_str(), stdout);
            return 0;
        case ParseResult::kError:
            std::fprintf(stderr, "flightmfd-sim: %s\n%s", error.c_str(), usageText().c_str());
            return 2;
        case ParseResult::kRun:
            break;
    }
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);

    UdpEndpoint endpoint(options.port);
    if (!endpoint.isOpen()) {
        std::fprintf(stderr, "flightmfd-sim: cannot listen on 127.0.0.1:%u: %s\n",
                     static_cast<unsigned>(options.port),
                     platform::socketErrorText(endpoint.error()).c_str());
        return 1;
    }
    // Tests read the port from this line, so it must leave before any query.
    std::printf("flightmfd-sim answering on 127.0.0.1:%u\n",
                static_cast<unsigned>(endpoint.port()));
    std::fflush(stdout);
    if (!serve(endpoint, options, stopRequested)) {
        std::fprintf(stderr, "flightmfd-sim: receive failed: %s\n",
                     platform::socketErrorText(endpoint.error()).c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int status = run(argc, argv);
    // Started from Explorer, the window would close before its last lines
    // could be read; one that Ctrl-C ended was closed on purpose.
    if (!stopRequested) {
        platform::keepWindowUntilKey();
    }
    return status;
}
