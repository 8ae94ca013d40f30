#include "tools/flightmfd_sim/udp_endpoint.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

sockaddr_in socketAddress(const UdpPeer& peer) {
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(peer.port);
    address.sin_addr.s_addr = htonl(peer.address);
    return address;
}

}  // namespace

const int UdpEndpoint::kRefusedAddress = EADDRNOTAVAIL;

std::string errorText(int error) {
    // Only the thread that sets up the endpoint reports its errors.
    return std::strerror(error);  // NOLINT(concurrency-mt-unsafe)
}

void UdpEndpoint::open(uint16_t port) {
    const int descriptor = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    descriptor_ = descriptor;
    sockaddr_in address = socketAddress(UdpPeer{address_, port});
    socklen_t size = sizeof address;
    if (descriptor < 0 ||
        ::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), size) != 0 ||
        ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error_ = errno;
        close();
        return;
    }
    port_ = ntohs(address.sin_port);
}

Received UdpEndpoint::receiveFrom(char* buffer, int capacity, int timeoutMs) {
    pollfd waiting{static_cast<int>(descriptor_), POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&waiting, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
        return Received{ReceiveStatus::kTimedOut, -1, UdpPeer{}};
    }
    sockaddr_in sender;
    socklen_t size = sizeof sender;
    // MSG_TRUNC makes Linux return the datagram's whole length, so that a
    // caller can tell one that did not fit.
    ssize_t length =
        ready < 0 ? -1
                  : ::recvfrom(static_cast<int>(descriptor_), buffer, static_cast<size_t>(capacity),
                               MSG_TRUNC, reinterpret_cast<sockaddr*>(&sender), &size);
    if (length < 0) {
        error_ = errno;
        return Received{ReceiveStatus::kFailed, -1, UdpPeer{}};
    }
    return Received{ReceiveStatus::kDatagram, static_cast<int>(length),
                    UdpPeer{ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port)}};
}

bool UdpEndpoint::send(const UdpPeer& to, const char* data, int length) {
    sockaddr_in address = socketAddress(to);
    ssize_t sent = ::sendto(static_cast<int>(descriptor_), data, static_cast<size_t>(length), 0,
                            reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (sent < 0) {
        error_ = errno;
        return false;
    }
    return true;
}

void UdpEndpoint::close() {
    if (descriptor_ >= 0) {
        ::close(static_cast<int>(descriptor_));
        descriptor_ = -1;
    }
}
