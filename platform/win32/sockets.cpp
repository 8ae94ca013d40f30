#include "platform/sockets.h"

// winsock2.h brings windows.h itself, after the definitions that keep the
// old winsock.h out.
#include <winsock2.h>
#include <ws2tcpip.h>

namespace platform {
namespace {

// Not in every mingw-w64 release of mstcpip.h.
#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

// The error of this thread's last failed call, kept apart from the system's
// last-error value, which any other call (a printf, say) may overwrite
// before the caller asks for it. The sender and the receiver thread each
// keep their own.
thread_local int lastErrorNumber = 0;

int recordError() {
    lastErrorNumber = WSAGetLastError();
    return lastErrorNumber;
}

// Decides, right after the failed call, what the caller is to make of it.
Transfer failure() {
    return {transferStatusOf(recordError()), -1};
}

// Waits until the socket has a datagram or an error to receive; false, with
// the error recorded, when the wait fails (the socket was closed) or outlasts
// the socket's receive time-out. Wine never wakes a receive that was waiting
// when a closed port was reported, not even for the datagrams that come
// later; each wait here is bounded, so that the next one sees them.
bool waitForDatagram(SOCKET s) {
    constexpr long kWaitUs = 200000;
    DWORD timeoutMs = 0;
    int size = sizeof timeoutMs;
    getsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&timeoutMs), &size);
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        timeval bound = {0, kWaitUs};
        const int ready = select(0, &readable, nullptr, nullptr, &bound);
        if (ready != 0) {
            return ready != SOCKET_ERROR;
        }
        if (timeoutMs != 0 && GetTickCount64() - start >= timeoutMs) {
            WSASetLastError(WSAETIMEDOUT);
            return false;
        }
    }
}

// Windows Sockets 2.2. Stateless apart from each thread's last error; one
// instance for the process, never destroyed.
class WinsockApi : public SocketApi {
  public:
    int startup(uint16_t version) override {
        WSADATA data;
        return WSAStartup(version, &data);
    }

    void cleanup() override { WSACleanup(); }

    int lastError() override { return lastErrorNumber; }

    bool parseAddress(const char* text, uint32_t* address) override {
        in_addr parsed;
        if (inet_pton(AF_INET, text, &parsed) != 1) {
            return false;
        }
        *address = parsed.s_addr;
        return true;
    }

    uint16_t hostToNetworkPort(uint16_t port) override { return htons(port); }

    SocketHandle openDatagramSocket() override {
        SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (s == INVALID_SOCKET) {
            recordError();
            return kInvalidSocket;
        }
        // Without this, an ICMP "port unreachable" for one of our queries
        // makes the next receive fail although the socket still works; the
        // simulator may simply not be running yet. Failure here changes
        // nothing that matters, so it is not reported.
        BOOL report = FALSE;
        DWORD returned = 0;
        WSAIoctl(s, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr,
                 nullptr);
        return static_cast<SocketHandle>(s);
    }

    int connect(SocketHandle s, uint32_t address, uint16_t port) override {
        sockaddr_in peer = {};
        peer.sin_family = AF_INET;
        peer.sin_port = port;
        peer.sin_addr.s_addr = address;
        int result = ::connect(static_cast<SOCKET>(s), reinterpret_cast<const sockaddr*>(&peer),
                               sizeof peer);
        if (result == SOCKET_ERROR) {
            recordError();
            return -1;
        }
        return 0;
    }

    int reconnect(SocketHandle s, uint32_t address, uint16_t port) override {
        // Winsock connects a datagram socket anew in place, choosing the local
        // address again; a receive that waits meanwhile goes on waiting.
        return connect(s, address, port);
    }

    Transfer send(SocketHandle s, const char* data, int length) override {
        int count = ::send(static_cast<SOCKET>(s), data, length, 0);
        return count == SOCKET_ERROR ? failure() : Transfer{TransferStatus::kOk, count};
    }

    Transfer receive(SocketHandle s, char* buffer, int capacity, SocketPeer* from) override {
        // A datagram longer than `capacity` fails with WSAEMSGSIZE; its
        // first bytes are in the buffer, the rest is lost.
        if (!waitForDatagram(static_cast<SOCKET>(s))) {
            return failure();
        }
        sockaddr_in sender{};
        int senderLength = sizeof sender;
        int count = ::recvfrom(static_cast<SOCKET>(s), buffer, capacity, 0,
                               reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (from != nullptr) {
            *from = SocketPeer{sender.sin_addr.s_addr, sender.sin_port};
        }
        return count == SOCKET_ERROR ? failure() : Transfer{TransferStatus::kOk, count};
    }

    void close(SocketHandle s) override { closesocket(static_cast<SOCKET>(s)); }

    int hostNotFoundError() override { return WSAHOST_NOT_FOUND; }
};

}  // namespace

TransferStatus transferStatusOf(int error) {
    switch (error) {
        case WSAEMSGSIZE:
            return TransferStatus::kTooLong;
        // A connected UDP socket whose peer has no listener learns so from
        // the ICMP answer to an earlier send. Windows reports WSAECONNRESET
        // (unless switched off, see openDatagramSocket); Wine ignores that
        // switch and reports WSAECONNREFUSED from the second receive on, the
        // first one waiting (or ending with WSAETIMEDOUT when a receive
        // time-out is set). All of them mean that the simulator is not
        // running.
        case WSAECONNRESET:
        case WSAECONNREFUSED:
        case WSAETIMEDOUT:
            return TransferStatus::kPeerUnreachable;
        // A lost Wi-Fi or a pulled cable; the socket stays usable for when
        // the network is back. WSAEADDRNOTAVAIL: the network came back with
        // another local address, and the socket must be connected anew.
        case WSAEADDRNOTAVAIL:
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH:
        case WSAEHOSTDOWN:
        case WSAENETDOWN:
            return TransferStatus::kNetworkDown;
        default:
            return TransferStatus::kFailed;
    }
}

SocketApi& systemSockets() {
    // Never destroyed: threads may still use it while the process ends.
    static auto* api = new WinsockApi();
    return *api;
}

}  // namespace platform
