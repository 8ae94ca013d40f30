#include "simlink/il2connection.h"

#include <cstdio>
#include <string>

#include "display/il2data.h"
#include "platform/process.h"
#include "platform/thread.h"

namespace {

constexpr uint16_t kSocketVersion = 0x0202;  // 2.2
constexpr uint32_t kNetworkDownPauseMs = 50;

[[noreturn]] void failConstruction(const std::string& message, platform::SocketApi& sockets) {
    std::fprintf(stderr, "%s\n", message.c_str());
    sockets.cleanup();
    platform::exitFailure();
}

}  // namespace

std::string socketStartupMessage(int error) {
    return "WSAStartup error : " + std::to_string(error);
}

std::string cannotResolveMessage(const std::string& address, int error) {
    return "Cannot resolve " + address + ". Error : " + std::to_string(error);
}

std::string cannotOpenSocketMessage(int error) {
    return "Cannot open socket. Error :" + std::to_string(error);
}

std::string cannotConnectMessage(int error) {
    return "Cannot connect socket to server. Error : " + std::to_string(error);
}

std::string transferFailedMessage(const char* call, int error) {
    return std::string(call) + "() failed with error : " + std::to_string(error);
}

IL2Connection::IL2Connection(const char* address, uint16_t port, platform::SocketApi& sockets)
    : sockets_(sockets), port_(port) {
    int startupError = sockets_.startup(kSocketVersion);
    if (startupError != 0) {
        failConstruction(socketStartupMessage(startupError), sockets_);
    }
    // Only a dotted address is taken, and it is connected to as it stands: a
    // reverse look-up would refuse reachable addresses that have no name and
    // stall on a slow resolver, and a name would send the queries elsewhere.
    if (!sockets_.parseAddress(address, &serverAddress_)) {
        failConstruction(cannotResolveMessage(address, sockets_.hostNotFoundError()), sockets_);
    }
    socket_ = sockets_.openDatagramSocket();
    if (socket_ == platform::kInvalidSocket) {
        failConstruction(cannotOpenSocketMessage(sockets_.lastError()), sockets_);
    }
    serverPort_ = sockets_.hostToNetworkPort(port);
    // 0.0.0.0, the simulator's own "any address", is this computer. Linux
    // connects it to the loopback address, from which the answers then come;
    // Windows refuses to connect to it at all. So it is 127.0.0.1 from here on.
    if (serverAddress_ == 0) {
        sockets_.parseAddress("127.0.0.1", &serverAddress_);
    }
    if (sockets_.connect(socket_, serverAddress_, serverPort_) == -1) {
        failConstruction(cannotConnectMessage(sockets_.lastError()), sockets_);
    }
    std::snprintf(address_, sizeof address_, "%s", address);
    std::printf("Socket connected to server [%s : %d]\n", address, static_cast<int>(port));
}

IL2Connection::~IL2Connection() {
    sockets_.close(socket_);
    sockets_.cleanup();
}

void IL2Connection::beginBatch() {
    mayConnectAnew_ = true;
    batchBegins_ = true;
}

int IL2Connection::sendData(const char* data, int length) {
    queryGoesOut();
    platform::Transfer sent = connected_
                                  ? sockets_.send(socket_, data, length)
                                  : platform::Transfer{platform::TransferStatus::kNetworkDown, -1};
    if (sent.status == platform::TransferStatus::kPeerUnreachable) {
        peerUnreachable();
        // The report of an earlier query's "port unreachable" took this send's
        // place, and the datagram did not leave; one more try sends it, so
        // that a simulator that has just come back gets every query.
        sent = sockets_.send(socket_, data, length);
    }
    if (sent.status == platform::TransferStatus::kNetworkDown && mayConnectAnew_) {
        sent = sendAgainOnNewConnection(data, length);
    }
    switch (sent.status) {
        case platform::TransferStatus::kOk:
            return sent.count;
        case platform::TransferStatus::kPeerUnreachable:
        case platform::TransferStatus::kNetworkDown:
            // The query is lost; the next batch asks again.
            peerUnreachable();
            return 0;
        case platform::TransferStatus::kTooLong:
        case platform::TransferStatus::kFailed:
            break;
    }
    failTransfer("send");
}

platform::Transfer IL2Connection::sendAgainOnNewConnection(const char* data, int length) {
    // The socket keeps the local address that its connect chose. When the
    // network comes back with another one (a new lease, another network, a
    // VPN), every send fails until the system chooses again. Once a batch is
    // enough: while the network is really down, each batch tries once.
    mayConnectAnew_ = false;
    connected_ = sockets_.reconnect(socket_, serverAddress_, serverPort_) == 0;
    if (!connected_) {
        return platform::Transfer{platform::TransferStatus::kNetworkDown, -1};
    }
    return sockets_.send(socket_, data, length);
}

int IL2Connection::recData(char* buffer, int capacity) {
    for (;;) {
        platform::SocketPeer sender;
        platform::Transfer received = sockets_.receive(socket_, buffer, capacity, &sender);
        switch (received.status) {
            case platform::TransferStatus::kOk:
                // A connected socket hears only its peer, but one whose new
                // connection failed has none and hears any sender: a stray
                // datagram must not change a shown value.
                if (!fromServer(sender)) {
                    break;
                }
                peerAnswered(buffer, received.count);
                return received.count;
            case platform::TransferStatus::kTooLong:
                // No answer is that long; a cut one would be parsed wrongly.
                if (fromServer(sender)) {
                    peerAnswered(nullptr, 0);
                }
                break;
            case platform::TransferStatus::kPeerUnreachable:
                // Each such report stands for one query that went out, so
                // receiving again blocks until the next answer or report.
                peerUnreachable();
                break;
            case platform::TransferStatus::kNetworkDown:
                // Linux reports a lost network once per ICMP message, but a
                // network that is down may fail every receive at once; the
                // pause keeps that from taking a whole core. Answers that
                // arrive meanwhile wait in the socket.
                peerUnreachable();
                platform::sleepMs(kNetworkDownPauseMs);
                break;
            case platform::TransferStatus::kFailed:
                failTransfer("recv");
        }
    }
}

void IL2Connection::failTransfer(const char* call) {
    // The other thread may fail in the same moment; only one ends the process.
    if (ending_.exchange(true)) {
        waitForTheEnd();
    }
    int error = sockets_.lastError();
    std::fprintf(stderr, "%s\n", transferFailedMessage(call, error).c_str());
    sockets_.close(socket_);
    sockets_.cleanup();
    platform::exitFailure();
}

void IL2Connection::stopIfEnding() {
    if (ending_) {
        waitForTheEnd();
    }
}

void IL2Connection::waitForTheEnd() {
    // Closing the socket makes the other thread's send or receive fail at
    // once on Windows; a line of its own would race the end of the process.
    for (;;) {
        platform::sleepMs(1000);
    }
}

bool IL2Connection::fromServer(const platform::SocketPeer& sender) const {
    return sender.address == serverAddress_ && sender.port == serverPort_;
}

void IL2Connection::queryGoesOut() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    const AnswerWatch::Clock::time_point now = AnswerWatch::Clock::now();
    if (answers_.querying(now)) {
        printSilent();
    }
    // Once a batch, before its first query: later in the batch the answers to
    // its first queries come back while the rest still go out, and a value
    // whose answer is on its way would be named as missing.
    if (batchBegins_ && answers_.valuesChanged()) {
        printMissingValues();
    }
    batchBegins_ = false;
}

void IL2Connection::peerUnreachable() {
    stopIfEnding();
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (answers_.unreachable()) {
        printSilent();
    }
}

void IL2Connection::peerAnswered(const char* answer, int length) {
    const FlightValue* value = answeredValue(answer, length);
    const int32_t index = value != nullptr ? static_cast<int32_t>(value - kFlightValues) : -1;
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (answers_.answered(AnswerWatch::Clock::now(), index)) {
        stopIfEnding();
        std::printf("Simulator answering again\n");
    }
}

void IL2Connection::printMissingValues() {
    stopIfEnding();
    const AnswerWatch::ValueSet missing = answers_.missingValues();
    if (missing == 0) {
        std::printf("All shown values answering again\n");
        return;
    }
    std::printf("%s\n", missingValuesLine(missing).c_str());
}

void IL2Connection::printSilent() {
    stopIfEnding();
    std::printf("Simulator not answering on %s : %d, polling goes on\n", address_,
                static_cast<int>(port_));
}
