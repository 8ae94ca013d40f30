#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>

namespace measure {

// A simulator of the tool's own: a UDP socket bound to 127.0.0.1, never to
// another address, that hears the program's queries and sends answers back
// to where the last one came from. Owns its socket; used by one thread.
class Peer {
  public:
    explicit Peer(uint16_t port);
    ~Peer();
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    bool bound() const { return socket_ >= 0; }
    // The next datagram within `timeoutMs` (0: only one already waiting).
    std::optional<std::string> receive(int timeoutMs);
    // Whether a query has shown where the program listens.
    bool knowsProgram() const { return knowsProgram_; }
    // One datagram to the program; false when it could not be sent.
    bool send(const char* data, size_t length);
    bool send(const std::string& datagram) { return send(datagram.data(), datagram.size()); }

  private:
    int socket_ = -1;
    sockaddr_in program_{};
    bool knowsProgram_ = false;
};

// A UDP port on 127.0.0.1 that was free a moment ago.
uint16_t freeUdpPort();

}  // namespace measure
