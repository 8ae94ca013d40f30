#include "platform/sockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// The error of the last failed call of this thread, kept apart from errno so
// that whatever runs between the failure and lastError() (a printf, say)
// cannot change it. The sender and the receiver thread each keep their own.
thread_local int lastErrorNumber = 0;

Transfer failedWith(int error) {
    lastErrorNumber = error;
    return Transfer{transferStatusOf(error), -1};
}

int descriptorOf(SocketHandle socket) {
    return static_cast<int>(socket);
}

sockaddr_in socketAddress(uint32_t address, uint16_t port) {
    sockaddr_in peer;
    std::memset(&peer, 0, sizeof peer);
    peer.sin_family = AF_INET;
    peer.sin_port = port;
    peer.sin_addr.s_addr = address;
    return peer;
}

Transfer sent(ssize_t count) {
    return count < 0 ? failedWith(errno) : Transfer{TransferStatus::kOk, static_cast<int>(count)};
}

class PosixSockets : public DatagramSockets {
  public:
    int startup(uint16_t) override { return 0; }

    void cleanup() override {}

    int lastError() override { return lastErrorNumber; }

    SocketHandle openDatagramSocket() override {
        int descriptor = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (descriptor < 0) {
            lastErrorNumber = errno;
            return kInvalidSocket;
        }
        return static_cast<SocketHandle>(descriptor);
    }

    // A connected UDP socket reports its peer's closed port here anyway.
    SocketHandle openReportingDatagramSocket() override { return openDatagramSocket(); }

    int bind(SocketHandle socket, uint32_t address, uint16_t port) override {
        const sockaddr_in local = socketAddress(address, port);
        const int bound =
            ::bind(descriptorOf(socket), reinterpret_cast<const sockaddr*>(&local), sizeof local);
        if (bound != 0) {
            lastErrorNumber = errno;
            return -1;
        }
        return 0;
    }

    uint16_t localPort(SocketHandle socket) override {
        sockaddr_in local;
        socklen_t size = sizeof local;
        if (::getsockname(descriptorOf(socket), reinterpret_cast<sockaddr*>(&local), &size) != 0) {
            lastErrorNumber = errno;
            return 0;
        }
        return local.sin_port;
    }

    int connect(SocketHandle socket, uint32_t address, uint16_t port) override {
        return connectTo(socket, socketAddress(address, port));
    }

    int reconnect(SocketHandle socket, uint32_t address, uint16_t port) override {
        // A second connect keeps the local address bound by the first, gone or
        // not, and fails with ENETUNREACH once it is gone. Dissolving the
        // association first (AF_UNSPEC) unbinds it, so that the next connect
        // chooses an address, and a port, afresh. A receive that waits
        // meanwhile goes on waiting.
        sockaddr_in none;
        std::memset(&none, 0, sizeof none);
        none.sin_family = AF_UNSPEC;
        if (connectTo(socket, none) != 0) {
            return -1;
        }
        return connect(socket, address, port);
    }

    Transfer send(SocketHandle socket, const char* data, int length) override {
        ssize_t count;
        do {
            count = ::send(descriptorOf(socket), data, static_cast<size_t>(length), 0);
        } while (count < 0 && errno == EINTR);
        return sent(count);
    }

    Transfer sendTo(SocketHandle socket, const char* data, int length,
                    const SocketPeer& to) override {
        const sockaddr_in peer = socketAddress(to.address, to.port);
        ssize_t count;
        do {
            count = ::sendto(descriptorOf(socket), data, static_cast<size_t>(length), 0,
                             reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
        } while (count < 0 && errno == EINTR);
        return sent(count);
    }

    WaitStatus waitForDatagram(SocketHandle socket, int timeoutMs) override {
        pollfd waiting{descriptorOf(socket), POLLIN, 0};
        int ready;
        do {
            ready = ::poll(&waiting, 1, timeoutMs);
        } while (ready < 0 && errno == EINTR);
        if (ready < 0) {
            lastErrorNumber = errno;
            return WaitStatus::kFailed;
        }
        return ready == 0 ? WaitStatus::kTimedOut : WaitStatus::kReady;
    }

    Transfer receive(SocketHandle socket, char* buffer, int capacity, SocketPeer* from) override {
        // POSIX cuts a datagram longer than the buffer without an error; only
        // MSG_TRUNC in the message flags tells. recvmsg reports it on Linux and
        // the BSDs alike.
        iovec part{buffer, static_cast<size_t>(capacity)};
        sockaddr_in sender;
        std::memset(&sender, 0, sizeof sender);
        msghdr message;
        std::memset(&message, 0, sizeof message);
        message.msg_name = &sender;
        message.msg_namelen = sizeof sender;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        ssize_t received;
        do {
            received = ::recvmsg(descriptorOf(socket), &message, 0);
        } while (received < 0 && errno == EINTR);
        if (received < 0) {
            return failedWith(errno);
        }
        if (from != nullptr) {
            *from = SocketPeer{sender.sin_addr.s_addr, sender.sin_port};
        }
        if ((message.msg_flags & MSG_TRUNC) != 0) {
            return failedWith(EMSGSIZE);
        }
        return Transfer{TransferStatus::kOk, static_cast<int>(received)};
    }

    void close(SocketHandle socket) override { ::close(descriptorOf(socket)); }

    int hostNotFoundError() override { return HOST_NOT_FOUND; }

  private:
    static int connectTo(SocketHandle socket, const sockaddr_in& peer) {
        if (::connect(descriptorOf(socket), reinterpret_cast<const sockaddr*>(&peer),
                      sizeof peer) != 0) {
            lastErrorNumber = errno;
            return -1;
        }
        return 0;
    }
};

}  // namespace

TransferStatus transferStatusOf(int error) {
    switch (error) {
        // A datagram longer than the buffer (or, sent, than UDP allows).
        case EMSGSIZE:
            return TransferStatus::kTooLong;
        // A connected UDP socket learns from an ICMP "port unreachable" that
        // nothing listens on the peer's port, and reports it on the next send
        // or receive.
        case ECONNREFUSED:
            return TransferStatus::kPeerUnreachable;
        // A lost Wi-Fi or a pulled cable: the send finds no route, or an ICMP
        // report of one arrives on the next send or receive. The socket stays
        // usable for when the network is back. A network that came back with
        // another local address fails every send with ENETUNREACH (or
        // EADDRNOTAVAIL) until the socket is connected anew.
        case EADDRNOTAVAIL:
        case ENETUNREACH:
        case EHOSTUNREACH:
        case EHOSTDOWN:
        case ENETDOWN:
            return TransferStatus::kNetworkDown;
        default:
            return TransferStatus::kFailed;
    }
}

std::string socketErrorText(int error) {
    // Only the thread that sets up a socket reports its errors.
    return std::strerror(error);  // NOLINT(concurrency-mt-unsafe)
}

DatagramSockets& systemSockets() {
    // Never destroyed: a worker thread may still be inside a call while the
    // process ends.
    static PosixSockets* sockets = new PosixSockets;
    return *sockets;
}

}  // namespace platform
