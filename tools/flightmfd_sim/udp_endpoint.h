#pragma once

#include <cstdint>
#include <string>

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
    // The datagram's length; more than the capacity when it did not fit (the
    // whole length on Linux; Windows only tells that it was longer). Else -1.
    int length;
    UdpPeer from;
};

// The system's text for an error number that error() gave.
std::string errorText(int error);

// One UDP socket bound to 127.0.0.1, never to another address. It owns its
// socket and closes it when destroyed. One thread receives and one sends at a
// time; it has no lock. udp_endpoint_posix.cpp and udp_endpoint_win32.cpp are
// the only files of the stand-in that make socket calls.
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
    // The socket; -1 when closed. Wide enough for a Windows SOCKET, whose
    // invalid value INVALID_SOCKET also reads -1 here.
    intptr_t descriptor_ = -1;
    int error_ = 0;
    uint16_t port_ = 0;
};
