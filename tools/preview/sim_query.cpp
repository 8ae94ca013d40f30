#include "tools/preview/sim_query.h"

#include <chrono>
#include <cstring>
#include <set>

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
    for (const char* query : kQueryTexts) {
        if (endpoint.sendTo(simulator, query, static_cast<int>(std::strlen(query)))) {
            ++answers->asked;
        }
    }
    // Each query's code ("30" of "R/30") counts once, however often it is answered.
    std::set<std::string> pending;
    for (const char* query : kQueryTexts) {
        pending.insert(std::string(query + 2, 2));
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
        if (received.length >= 4 && buffer[0] == 'A' && buffer[1] == '/' &&
            pending.erase(std::string(buffer + 2, 2)) == 1) {
            ++answers->answered;
        }
    }
    return true;
}
