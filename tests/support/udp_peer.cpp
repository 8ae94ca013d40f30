#include "tests/support/udp_peer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

UdpPeer::UdpPeer(uint16_t port, uint32_t address) {
    socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(port);
    bound.sin_addr.s_addr = htonl(address);
    int yes = 1;
    setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (bind(socket_, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0) {
        ::close(socket_);
        socket_ = -1;
        return;
    }
    socklen_t length = sizeof bound;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&bound), &length);
    port_ = ntohs(bound.sin_port);
}

UdpPeer::~UdpPeer() {
    if (socket_ >= 0) {
        ::close(socket_);
    }
}

std::optional<std::string> UdpPeer::receive(double seconds) {
    pollfd waiting{socket_, POLLIN, 0};
    if (poll(&waiting, 1, static_cast<int>(seconds * 1000)) <= 0) {
        return std::nullopt;
    }
    char buffer[2048];
    socklen_t length = sizeof lastSender_;
    ssize_t count = recvfrom(socket_, buffer, sizeof buffer, 0,
                             reinterpret_cast<sockaddr*>(&lastSender_), &length);
    if (count < 0) {
        return std::nullopt;
    }
    return std::string(buffer, static_cast<size_t>(count));
}

void UdpPeer::reply(const std::string& datagram) {
    sendto(socket_, datagram.data(), datagram.size(), 0,
           reinterpret_cast<const sockaddr*>(&lastSender_), sizeof lastSender_);
}

}  // namespace testsupport
