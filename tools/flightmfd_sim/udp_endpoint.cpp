#include "tools/flightmfd_sim/udp_endpoint.h"

#include <algorithm>

UdpPeer loopbackPeer(uint16_t port) {
    return UdpPeer{kLoopbackAddress, port};
}

UdpEndpoint::UdpEndpoint(uint16_t port, uint32_t address) : address_(address) {
    open(port);
}

UdpEndpoint::~UdpEndpoint() {
    close();
}

Received UdpEndpoint::receive(char* buffer, int capacity, int timeoutMs) {
    Received received = receiveFrom(buffer, capacity, timeoutMs);
    if (received.status == ReceiveStatus::kDatagram) {
        lastSender_ = received.from;
    }
    return received;
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
        error_ = kRefusedAddress;
        return false;
    }
    return send(to, data, length);
}

bool UdpEndpoint::reply(const std::string& datagram) {
    return lastSender_ && sendTo(*lastSender_, datagram.data(), static_cast<int>(datagram.size()));
}
