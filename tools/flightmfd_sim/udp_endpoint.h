#pragma once

#include <cstdint>

// Where a datagram came from, address and port in network byte order.
struct UdpPeer {
    uint32_t address = 0;
    uint16_t port = 0;
};

// 127.0.0.1 and `port` (host order), as a destination.
UdpPeer loopbackPeer(uint16_t port);

enum class ReceiveStatus { kDatagram, kTimedOut, kFailed };

struct Received {
    ReceiveStatus status;
    int length;  // the datagram's whole length, even when it did not fit; else -1
    UdpPeer from;
};

// One UDP socket bound to 127.0.0.1, never to another address. It owns its
// socket and closes it when destroyed. One thread receives and one sends at a
// time; it has no lock. The only file of the stand-in that makes socket calls.
class UdpEndpoint {
  public:
    // Binds to 127.0.0.1 and `port` (host order; 0 takes a free port). Whether
    // that worked is isOpen(); error() has the system's error number if not.
    explicit UdpEndpoint(uint16_t port);
    ~UdpEndpoint();
    UdpEndpoint(const UdpEndpoint&) = delete;
    UdpEndpoint& operator=(const UdpEndpoint&) = delete;

    bool isOpen() const { return descriptor_ >= 0; }
    int error() const { return error_; }
    // The bound port in host order.
    uint16_t port() const { return port_; }

    // Waits at most `timeoutMs` for one datagram and stores up to `capacity`
    // bytes of it.
    Received receive(char* buffer, int capacity, int timeoutMs);
    // Sends one datagram to `to`, which must be 127.0.0.1; false on failure.
    bool sendTo(const UdpPeer& to, const char* data, int length);
    void close();

  private:
    int descriptor_ = -1;
    int error_ = 0;
    uint16_t port_ = 0;
};
