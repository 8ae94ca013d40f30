#include "tools/preview/sim_query.h"

#include <chrono>
#include <cstring>

#include "display/flight_values.h"
#include "display/il2data.h"
#include "platform/sockets.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::TransferStatus;

constexpr uint16_t kSocketVersion = 0x0202;  // 2.2

// Answers longer than this are not the simulator's; the program's own
// receive buffer is no larger.
constexpr int kAnswerCapacity = 1024;

// The socket layer, and one socket on 127.0.0.1 connected to the simulator's
// port there, which reports that port closed when nothing listens on it.
// Connected, it hears the simulator alone, as the program's socket does.
// Both end with the object.
class SimulatorSocket {
  public:
    explicit SimulatorSocket(uint16_t port) : sockets_(platform::systemSockets()) {
        error_ = sockets_.startup(kSocketVersion);
        if (error_ != 0) {
            return;
        }
        started_ = true;
        uint32_t loopback = 0;
        sockets_.parseAddress("127.0.0.1", &loopback);
        socket_ = sockets_.openReportingDatagramSocket();
        if (socket_ == platform::kInvalidSocket || sockets_.bind(socket_, loopback, 0) != 0 ||
            sockets_.connect(socket_, loopback, sockets_.hostToNetworkPort(port)) != 0) {
            error_ = sockets_.lastError();
        }
    }
    ~SimulatorSocket() {
        if (socket_ != platform::kInvalidSocket) {
            sockets_.close(socket_);
        }
        if (started_) {
            sockets_.cleanup();
        }
    }
    SimulatorSocket(const SimulatorSocket&) = delete;
    SimulatorSocket& operator=(const SimulatorSocket&) = delete;

    // The system's error number when the socket could not be made, else 0.
    int error() const { return error_; }

    TransferStatus send(const char* query) {
        return sockets_.send(socket_, query, static_cast<int>(std::strlen(query))).status;
    }
    // The next datagram (kTooLong: one that does not fit), the report of a
    // closed port, or kFailed when none came by `deadline`.
    platform::Transfer receive(Clock::time_point deadline, char* buffer, int capacity) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return platform::Transfer{TransferStatus::kFailed, -1};
        }
        switch (sockets_.waitForDatagram(socket_, static_cast<int>(left.count()))) {
            case platform::WaitStatus::kReady:
                return sockets_.receive(socket_, buffer, capacity, nullptr);
            case platform::WaitStatus::kPeerUnreachable:
                return platform::Transfer{TransferStatus::kPeerUnreachable, -1};
            case platform::WaitStatus::kTimedOut:
            case platform::WaitStatus::kFailed:
                break;
        }
        return platform::Transfer{TransferStatus::kFailed, -1};
    }

  private:
    platform::DatagramSockets& sockets_;
    bool started_ = false;
    platform::SocketHandle socket_ = platform::kInvalidSocket;
    int error_ = 0;
};

}  // namespace

bool askSimulator(uint16_t port, int32_t waitMs, IL2Data* data, SimAnswers* answers,
                  std::string* error) {
    SimulatorSocket simulator(port);
    if (simulator.error() != 0) {
        *error = "cannot open a UDP socket on 127.0.0.1: " +
                 platform::socketErrorText(simulator.error());
        return false;
    }
    *answers = SimAnswers();
    for (const FlightValue& value : kFlightValues) {
        answers->unanswered |= valueBit(value);
        const TransferStatus sent = simulator.send(value.query);
        answers->asked += sent == TransferStatus::kOk ? 1 : 0;
        // An earlier query's report of the closed port takes a later send's place.
        answers->portClosed |= sent == TransferStatus::kPeerUnreachable;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    char buffer[kAnswerCapacity];
    while (answers->unanswered != 0 && !answers->portClosed) {
        const platform::Transfer received = simulator.receive(deadline, buffer, sizeof buffer);
        // As the program, which drops what it cannot read whole.
        if (received.status == TransferStatus::kTooLong) {
            continue;
        }
        if (received.status != TransferStatus::kOk) {
            answers->portClosed = received.status == TransferStatus::kPeerUnreachable;
            break;
        }
        data->parseAnswer(buffer, received.count);
        // Each value counts once, however often it is answered.
        const FlightValue* value = answeredValue(buffer, received.count);
        if (value != nullptr && (answers->unanswered & valueBit(*value)) != 0) {
            answers->unanswered &= ~valueBit(*value);
            ++answers->answered;
        }
    }
    return true;
}
