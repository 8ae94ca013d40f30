#include "tools/flightmfd_sim/udp_endpoint.h"

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint16_t kSocketVersion = 0x0202;  // 2.2

platform::SocketPeer networkOrder(platform::SocketApi& sockets, const UdpPeer& peer) {
    return platform::SocketPeer{sockets.hostToNetworkAddress(peer.address),
                                sockets.hostToNetworkPort(peer.port)};
}

UdpPeer hostOrder(platform::SocketApi& sockets, const platform::SocketPeer& peer) {
    return UdpPeer{sockets.hostToNetworkAddress(peer.address),
                   sockets.hostToNetworkPort(peer.port)};
}

}  // namespace

UdpPeer loopbackPeer(uint16_t port) {
    return UdpPeer{kLoopbackAddress, port};
}

UdpEndpoint::UdpEndpoint(uint16_t port, uint32_t address)
    : sockets_(platform::systemSockets()), address_(address) {
    open(port);
}

UdpEndpoint::~UdpEndpoint() {
    close();
}

void UdpEndpoint::open(uint16_t port) {
    error_ = sockets_.startup(kSocketVersion);
    if (error_ != 0) {
        return;
    }
    started_ = true;
    // A socket that sends to many must not fail for a client that has left.
    socket_ = sockets_.openDatagramSocket();
    if (socket_ == platform::kInvalidSocket) {
        error_ = sockets_.lastError();
        return;
    }
    const platform::SocketPeer local = networkOrder(sockets_, UdpPeer{address_, port});
    const uint16_t bound =
        sockets_.bind(socket_, local.address, local.port) == 0 ? sockets_.localPort(socket_) : 0;
    if (bound == 0) {
        error_ = sockets_.lastError();
        close();
        return;
    }
    port_ = sockets_.hostToNetworkPort(bound);  // and back
}

Received UdpEndpoint::receive(char* buffer, int capacity, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int waitMs = static_cast<int>(std::max<int64_t>(0, left.count()));
        switch (sockets_.waitForDatagram(socket_, waitMs)) {
            case platform::WaitStatus::kReady:
                break;
            case platform::WaitStatus::kPeerUnreachable:
                continue;
            case platform::WaitStatus::kTimedOut:
                return Received{ReceiveStatus::kTimedOut, -1, UdpPeer{}};
            case platform::WaitStatus::kFailed:
                return failed(Received{ReceiveStatus::kFailed, -1, UdpPeer{}});
        }
        platform::SocketPeer from;
        const platform::Transfer received = sockets_.receive(socket_, buffer, capacity, &from);
        switch (received.status) {
            case platform::TransferStatus::kOk:
                lastSender_ = hostOrder(sockets_, from);
                return Received{ReceiveStatus::kDatagram, received.count, *lastSender_};
            case platform::TransferStatus::kTooLong:
                lastSender_ = hostOrder(sockets_, from);
                return Received{ReceiveStatus::kDatagram, capacity + 1, *lastSender_};
            case platform::TransferStatus::kPeerUnreachable:
                break;
            case platform::TransferStatus::kNetworkDown:
            case platform::TransferStatus::kFailed:
                return failed(Received{ReceiveStatus::kFailed, -1, UdpPeer{}});
        }
    }
}

std::optional<std::string> UdpEndpoint::receive(int timeoutMs) {
    char buffer[2048];
    const int capacity = sizeof buffer;
    Received received = receive(buffer, capacity, timeoutMs);
    if (received.status != ReceiveStatus::kDatagram) {
        return std::nullopt;
    }
    return std::string(buffer, static_cast<size_t>(std::min(received.length, capacity)));
}

bool UdpEndpoint::maySendTo(uint32_t address) const {
    if (address_ == kLoopbackAddress) {
        return address == kLoopbackAddress;
    }
    return lastSender_ && lastSender_->address == address;
}

bool UdpEndpoint::sendTo(const UdpPeer& to, const char* data, int length) {
    if (!maySendTo(to.address)) {
        return false;
    }
    const platform::Transfer sent =
        sockets_.sendTo(socket_, data, length, networkOrder(sockets_, to));
    if (sent.status != platform::TransferStatus::kOk) {
        return failed(false);
    }
    return true;
}

bool UdpEndpoint::reply(const std::string& datagram) {
    return lastSender_ && sendTo(*lastSender_, datagram.data(), static_cast<int>(datagram.size()));
}

void UdpEndpoint::close() {
    if (socket_ != platform::kInvalidSocket) {
        sockets_.close(socket_);
        socket_ = platform::kInvalidSocket;
    }
    if (started_) {
        sockets_.cleanup();
        started_ = false;
    }
}
