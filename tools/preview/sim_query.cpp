#include "tools/preview/sim_query.h"

#include <chrono>
#include <cstring>

#include "display/flight_values.h"
#include "simlink/messages.h"
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
        answers->unanswered |= valueBit(value);
        if (endpoint.sendTo(simulator, value.query, static_cast<int>(std::strlen(value.query)))) {
            ++answers->asked;
        }
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    char buffer[kAnswerCapacity];
    while (answers->unanswered != 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        Received received = endpoint.receive(buffer, sizeof buffer, static_cast<int>(left.count()));
        if (received.status != ReceiveStatus::kDatagram) {
            break;
        }
        // As the program, which hears only its simulator and drops what it
        // cannot read whole.
        if (received.from.address != simulator.address || received.from.port != simulator.port ||
            received.length > kAnswerCapacity) {
            continue;
        }
        data->parseAnswer(buffer, received.length);
        // Each value counts once, however often it is answered.
        const FlightValue* value = answeredValue(buffer, received.length);
        if (value != nullptr && (answers->unanswered & valueBit(*value)) != 0) {
            answers->unanswered &= ~valueBit(*value);
            ++answers->answered;
        }
    }
    return true;
}
