#include "tools/preview/sim_query.h"

#include <chrono>
#include <cstring>
#include <set>

#include "display/flight_values.h"
#include "tools/flightmfd_sim/udp_endpoint.h"

namespace {

using Clock = std::chrono::steady_clock;

// Answers longer than this are not the simulator's; the program's own
// receive buffer is no larger.
constexpr int kAnswerCapacity = 1024;

}  // namespace

bool askSimulator(uint16_t port, int32_t waitMs, IL2Data* data, SimAnswers* answers,
                  std::string* error) {
    UdpEndpoint endpoint(0);
    if (!endpoint.isOpen()) {
        *error = "cannot open a UDP socket on 127.0.0.1: " + errorText(endpoint.error());
        return false;
    }
    const UdpPeer simulator = loopbackPeer(port);
    *answers = SimAnswers();
    for (const FlightValue& value : kFlightValues) {
        if (endpoint.sendTo(simulator, value.query, static_cast<int>(std::strlen(value.query)))) {
            ++answers->asked;
        }
    }
    // Each value counts once, however often it is answered.
    std::set<const FlightValue*> pending;
    for (const FlightValue& value : kFlightValues) {
        pending.insert(&value);
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    char buffer[kAnswerCapacity];
    while (!pending.empty()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        Received received = endpoint.receive(buffer, sizeof buffer, static_cast<int>(left.count()));
        if (received.status != ReceiveStatus::kDatagram) {
            break;
        }
        if (received.from.port != simulator.port || received.length > kAnswerCapacity) {
            continue;
        }
        data->parseAnswer(buffer, received.length);
        if (received.length >= 4 && pending.erase(flightValueAnswered(buffer)) == 1) {
            ++answers->answered;
        }
    }
    return true;
}
