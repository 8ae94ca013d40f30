#pragma once

#include <cstdint>
#include <string>

namespace platform {

using SocketHandle = uintptr_t;
constexpr SocketHandle kInvalidSocket = ~static_cast<SocketHandle>(0);

// What became of one send or receive, decided once where the system call is
// made. Everything that is not kOk leaves its number in lastError().
enum class TransferStatus {
    kOk,               // `count` bytes moved
    kPeerUnreachable,  // a port that a datagram went to was reported closed: the
                       // connected peer's (simulator not running), or, on a socket
                       // that sends to many, an earlier destination's
    kNetworkDown,      // no way to the peer: network down, no route, host unreachable,
                       // or the local address that the socket used is gone
    kTooLong,          // a datagram longer than the buffer; it has been dropped
    kFailed,           // any other failure
};

// What a send or receive that failed with the platform's error number `error`
// means to the caller (never kOk).
TransferStatus transferStatusOf(int error);

struct Transfer {
    TransferStatus status;
    int count;  // bytes moved when kOk, else -1
};

// The system's text for a socket error number, as a user reads it.
std::string socketErrorText(int error);

// Where a received datagram came from, or where one goes: an IPv4 address
// and a port, both in network byte order.
struct SocketPeer {
    uint32_t address = 0;
    uint16_t port = 0;
};

// What a wait for a datagram came to.
enum class WaitStatus {
    kReady,            // receive() returns at once: a datagram, or a failure, is there
    kTimedOut,         // nothing came in time
    kPeerUnreachable,  // a closed port was reported in its place (receive() may report it too)
    kFailed,           // the wait itself failed; its number is in lastError()
};

// The datagram socket operations the simulator link needs, one table that a
// test can replace to make any step fail. Error numbers are the platform's own.
class SocketApi {
  public:
    virtual ~SocketApi() = default;

    // Starts the socket layer asking for `version` (0x0202: 2.2); 0 on success,
    // else the platform's error code.
    virtual int startup(uint16_t version) = 0;
    virtual void cleanup() = 0;
    // The calling thread's last socket error number.
    virtual int lastError() = 0;
    // Dotted-decimal IPv4 text (exactly four numbers 0 to 255) to an address in
    // network byte order; false for any other text. No name is resolved. The
    // same on every platform and never failing otherwise, so not in the table
    // (sockets.cpp).
    bool parseAddress(const char* text, uint32_t* address);
    // A port or an address in network byte order; the same exchange of bytes
    // turns it back.
    uint16_t hostToNetworkPort(uint16_t port);
    uint32_t hostToNetworkAddress(uint32_t address);
    // A UDP socket, or kInvalidSocket. On Windows it is told not to report a
    // closed port of its peer: the link keeps asking a simulator that has
    // not started yet, and a server keeps serving when a client has left.
    virtual SocketHandle openDatagramSocket() = 0;
    // Fixes the peer (address and port in network byte order); -1 on failure.
    virtual int connect(SocketHandle socket, uint32_t address, uint16_t port) = 0;
    // Connects a connected socket anew to the same peer, so that the system
    // chooses the local address again (the one it had may be gone); -1 on
    // failure. Safe while another thread waits in receive().
    virtual int reconnect(SocketHandle socket, uint32_t address, uint16_t port) = 0;
    virtual Transfer send(SocketHandle socket, const char* data, int length) = 0;
    // Blocks for one datagram of at most `capacity` bytes; for kOk and
    // kTooLong, *from (unless null) tells where it came from.
    virtual Transfer receive(SocketHandle socket, char* buffer, int capacity, SocketPeer* from) = 0;
    virtual void close(SocketHandle socket) = 0;

    // The platform's "host not found" error number.
    virtual int hostNotFoundError() = 0;
};

// What the tools and tests add to the link's calls, to play the simulator's
// side (a socket bound to a port, answering whoever asked) or to probe it.
class DatagramSockets : public SocketApi {
  public:
    // A UDP socket whose connected peer's closed port is reported as
    // kPeerUnreachable on every platform, for a tool that must tell "nothing
    // listens" from "nothing answers"; or kInvalidSocket.
    virtual SocketHandle openReportingDatagramSocket() = 0;
    // Binds to an address and a port in network byte order (port 0: a free
    // one, which localPort() tells); -1 on failure.
    virtual int bind(SocketHandle socket, uint32_t address, uint16_t port) = 0;
    // The local port, in network byte order, that the socket is bound to; 0
    // on failure.
    virtual uint16_t localPort(SocketHandle socket) = 0;
    // One datagram to `to`, from a socket without a fixed peer.
    virtual Transfer sendTo(SocketHandle socket, const char* data, int length,
                            const SocketPeer& to) = 0;
    // Waits at most `timeoutMs` (0: only looks) until receive() would return
    // at once.
    virtual WaitStatus waitForDatagram(SocketHandle socket, int timeoutMs) = 0;
};

// The operating system's sockets.
DatagramSockets& systemSockets();

}  // namespace platform
