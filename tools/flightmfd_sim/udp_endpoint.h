#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/sockets.h"

// An IPv4 address and port, both in host order: where a datagram came from or
// goes to.
struct UdpPeer {
    uint32_t address = 0;
    uint16_t port = 0;
};

// 127.0.0.1 in host order.
constexpr uint32_t kLoopbackAddress = 0x7F000001;

// 127.0.0.1 and `port`, as a destination.
UdpPeer loopbackPeer(uint16_t port);

enum class ReceiveStatus { kDatagram, kTimedOut, kFailed };

struct Received {
    ReceiveStatus status;
    // The datagram's length; capacity + 1 when it did not fit, its first
    // `capacity` bytes in the buffer. Else -1.
    int length;
    UdpPeer from;
};

// One UDP socket of the system's socket layer, bound to 127.0.0.1 unless its
// owner names another address. It owns its socket and closes it when
// destroyed; one thread uses it at a time, and it has no lock. The stand-in,
// the tests and the measuring tool play the simulator through it.
class UdpEndpoint {
  public:
    // Binds to `address` (host order; the stand-in only ever uses 127.0.0.1)
    // and `port` (0 takes a free port). Whether that worked is isOpen();
    // error() has the system's error number if not.
    explicit UdpEndpoint(uint16_t port, uint32_t address = kLoopbackAddress);
    ~UdpEndpoint();
    UdpEndpoint(const UdpEndpoint&) = delete;
    UdpEndpoint& operator=(const UdpEndpoint&) = delete;

    bool isOpen() const { return socket_ != platform::kInvalidSocket; }
    int error() const { return error_; }
    // The bound port in host order.
    uint16_t port() const { return port_; }

    // Waits at most `timeoutMs` for one datagram and stores up to `capacity`
    // bytes of it. A closed port that an earlier datagram went to (a client
    // that has left) is no failure: the wait goes on.
    Received receive(char* buffer, int capacity, int timeoutMs);
    // The next datagram within `timeoutMs` (0: only one already waiting), cut
    // to 2048 bytes, or nothing.
    std::optional<std::string> receive(int timeoutMs);
    // The sender of the last datagram received, once there was one.
    const std::optional<UdpPeer>& lastSender() const { return lastSender_; }

    // Sends one datagram to `to`; false on failure. An endpoint on 127.0.0.1
    // sends only there, which keeps the stand-in off every network; one bound
    // to another address (a network namespace that a test made for itself)
    // sends only to the last sender. A refused destination is refused before
    // any socket call.
    bool sendTo(const UdpPeer& to, const char* data, int length);
    // One datagram to lastSender(); false when there is none or it failed.
    bool reply(const std::string& datagram);
    void close();

  private:
    void open(uint16_t port);
    bool maySendTo(uint32_t address) const;
    // Keeps the socket layer's last error as error() and returns `result`.
    template <typename T>
    T failed(T result) {
        error_ = sockets_.lastError();
        return result;
    }

    platform::DatagramSockets& sockets_;
    uint32_t address_;
    bool started_ = false;  // the socket layer was started, and is to be cleaned up
    platform::SocketHandle socket_ = platform::kInvalidSocket;
    int error_ = 0;
    uint16_t port_ = 0;
    std::optional<UdpPeer> lastSender_;
};
