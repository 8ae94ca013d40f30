#include "bench/measure/peer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace measure {
namespace {

sockaddr_in loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

Peer::Peer(uint16_t port) {
    socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = loopback(port);
    if (socket_ >= 0 &&
        ::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

Peer::~Peer() {
    if (socket_ >= 0) {
        ::close(socket_);
    }
}

std::optional<std::string> Peer::receive(int timeoutMs) {
    pollfd waiting{socket_, POLLIN, 0};
    if (::poll(&waiting, 1, timeoutMs) <= 0) {
        return std::nullopt;
    }
    char buffer[2048];
    sockaddr_in sender{};
    socklen_t size = sizeof sender;
    ssize_t count =
        ::recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&sender), &size);
    if (count < 0) {
        return std::nullopt;
    }
    // Only this machine can reach a socket bound to 127.0.0.1, so every sender is local.
    program_ = sender;
    knowsProgram_ = true;
    return std::string(buffer, static_cast<size_t>(count));
}

bool Peer::send(const char* data, size_t length) {
    if (!knowsProgram_ || program_.sin_addr.s_addr != htonl(INADDR_LOOPBACK)) {
        return false;
    }
    return ::sendto(socket_, data, length, 0, reinterpret_cast<const sockaddr*>(&program_),
                    sizeof program_) == static_cast<ssize_t>(length);
}

uint16_t freeUdpPort() {
    int probe = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    uint16_t port = 0;
    if (::bind(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(probe);
    return port;
}

}  // namespace measure
