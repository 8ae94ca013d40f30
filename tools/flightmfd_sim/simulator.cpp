#include "tools/flightmfd_sim/simulator.h"

#include <algorithm>
#include <chrono>

#include "tools/flightmfd_sim/answers.h"
#include "tools/flightmfd_sim/flight_model.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long one wait for a query lasts at most, so that a stop request or the
// end of the duration is seen soon.
constexpr int kPollMs = 100;

}  // namespace

bool answerValue(const SimulatorOptions& options, int code, double seconds, std::string* text) {
    if (!options.fixedMode) {
        return flightValue(code, seconds, text);
    }
    auto fixed = options.fixedValues.find(code);
    if (fixed == options.fixedValues.end()) {
        return false;
    }
    *text = fixed->second;
    return true;
}

bool serve(UdpEndpoint& endpoint, const SimulatorOptions& options, const std::atomic<bool>& stop) {
    const Clock::time_point start = Clock::now();
    // A query is four bytes; anything that fills this buffer is not one.
    char query[64];
    while (!stop) {
        double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        int waitMs = kPollMs;
        if (options.durationSeconds > 0.0) {
            double leftMs = (options.durationSeconds - elapsed) * 1000.0;
            if (leftMs <= 0.0) {
                break;
            }
            waitMs = std::min(kPollMs, static_cast<int>(leftMs) + 1);
        }
        Received received = endpoint.receive(query, sizeof query, waitMs);
        if (received.status == ReceiveStatus::kFailed) {
            return false;
        }
        if (received.status == ReceiveStatus::kTimedOut) {
            continue;
        }
        std::string value;
        int code = queryCode(query, received.length);
        double now = std::chrono::duration<double>(Clock::now() - start).count();
        if (code >= 0 && answerValue(options, code, now, &value)) {
            std::string answer = answerFor(code, value);
            // A lost answer is nothing new to a UDP client; the next query
            // asks again.
            endpoint.sendTo(received.from, answer.data(), static_cast<int>(answer.size()));
        }
    }
    return true;
}
