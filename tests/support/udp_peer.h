#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>

namespace testsupport {

// A simulator of the test's own: a UDP socket bound to 127.0.0.1 (or to an
// address of a network namespace that the test made) that sees every query
// and answers whatever the test tells it to.
class UdpPeer {
  public:
    // `port` 0: any free port; `address` in host order.
    explicit UdpPeer(uint16_t port = 0, uint32_t address = INADDR_LOOPBACK);
    ~UdpPeer();
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    bool bound() const { return socket_ >= 0; }
    uint16_t port() const { return port_; }

    // The next datagram, or nothing after `seconds`; remembers its sender.
    std::optional<std::string> receive(double seconds);
    // Sends to the sender of the last datagram received.
    void reply(const std::string& datagram);
    // The address of that sender, in host order.
    uint32_t lastSenderAddress() const { return ntohl(lastSender_.sin_addr.s_addr); }

  private:
    int socket_ = -1;
    uint16_t port_ = 0;
    sockaddr_in lastSender_{};
};

}  // namespace testsupport
