#include "platform/sockets.h"

// winsock2.h brings windows.h itself, after the definitions that keep the
// old winsock.h out.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

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

constexpr long long kSliceMs = 200;

// Waits until the socket has a datagram or an error to receive, for at most
// `timeoutMs` (negative: for as long as it takes); false, with the error
// recorded, when the wait fails (the socket was closed) or WSAETIMEDOUT when
// the time runs out. Wine never wakes a wait that began before a closed port
// was reported, not even for the datagrams that come later; each wait here
// is bounded, so that the next one sees them.
bool waitReadable(SOCKET s, long long timeoutMs) {
    constexpr long long kSliceUs = kSliceMs * 1000;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        long long sliceUs = kSliceUs;
        if (timeoutMs >= 0) {
            const long long leftMs = timeoutMs - static_cast<long long>(GetTickCount64() - start);
            sliceUs = std::max(0LL, std::min(kSliceUs, leftMs * 1000));
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        timeval bound = {0, static_cast<long>(sliceUs)};
        const int ready = select(0, &readable, nullptr, nullptr, &bound);
        if (ready != 0) {
            return ready != SOCKET_ERROR;
        }
        if (sliceUs == 0) {
            WSASetLastError(WSAETIMEDOUT);
            return false;
        }
    }
}

// Wine 8 tells a connected socket of its peer's closed port neither through
// select nor through recv: it keeps the error as the socket's SO_ERROR, and
// keeps it there, later answers or not. True, with the error recorded, once
// it is there.
bool closedPortReported(SOCKET s) {
    int error = 0;
    int size = sizeof error;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 ||
        (error != WSAECONNREFUSED && error != WSAECONNRESET)) {
        return false;
    }
    lastErrorNumber = error;
    return true;
}

sockaddr_in socketAddress(uint32_t address, uint16_t port) {
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    peer.sin_port = port;
    peer.sin_addr.s_addr = address;
    return peer;
}

// Windows Sockets 2.2. Stateless apart from each thread's last error; one
// instance for the process, never destroyed.
class WinsockApi : public DatagramSockets {
  public:
    int startup(uint16_t version) override {
        WSADATA data;
        return WSAStartup(version, &data);
    }

    void cleanup() override { WSACleanup(); }

    int lastError() override { return lastErrorNumber; }

    SocketHandle openDatagramSocket() override {
        SOCKET s = static_cast<SOCKET>(openReportingDatagramSocket());
        if (s != INVALID_SOCKET) {
            // Without this, an ICMP "port unreachable" for one of our queries
            // makes the next receive fail although the socket still works; the
            // simulator may simply not be running yet. Failure here changes
            // nothing that matters, so it is not reported.
            BOOL report = FALSE;
            DWORD returned = 0;
            WSAIoctl(s, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr,
                     nullptr);
        }
        return static_cast<SocketHandle>(s);
    }

    // Windows reports a closed port (WSAECONNRESET) unless told otherwise.
    SocketHandle openReportingDatagramSocket() override {
        SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (s == INVALID_SOCKET) {
            recordError();
            return kInvalidSocket;
        }
        return static_cast<SocketHandle>(s);
    }

    int bind(SocketHandle s, uint32_t address, uint16_t port) override {
        const sockaddr_in local = socketAddress(address, port);
        if (::bind(static_cast<SOCKET>(s), reinterpret_cast<const sockaddr*>(&local),
                   sizeof local) == SOCKET_ERROR) {
            recordError();
            return -1;
        }
        return 0;
    }

    uint16_t localPort(SocketHandle s) override {
        sockaddr_in local = {};
        int size = sizeof local;
        if (getsockname(static_cast<SOCKET>(s), reinterpret_cast<sockaddr*>(&local), &size) ==
            SOCKET_ERROR) {
            recordError();
            return 0;
        }
        return local.sin_port;
    }

    int connect(SocketHandle s, uint32_t address, uint16_t port) override {
        const sockaddr_in peer = socketAddress(address, port);
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

    Transfer sendTo(SocketHandle s, const char* data, int length, const SocketPeer& to) override {
        const sockaddr_in peer = socketAddress(to.address, to.port);
        int count = ::sendto(static_cast<SOCKET>(s), data, length, 0,
                             reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
        return count == SOCKET_ERROR ? failure() : Transfer{TransferStatus::kOk, count};
    }

    WaitStatus waitForDatagram(SocketHandle s, int timeoutMs) override {
        // A slice at a time, so that a closed port that Wine reports only in
        // SO_ERROR ends the wait about as soon as Windows' report would.
        const ULONGLONG start = GetTickCount64();
        for (;;) {
            const long long leftMs = timeoutMs - static_cast<long long>(GetTickCount64() - start);
            if (waitReadable(static_cast<SOCKET>(s), std::max(0LL, std::min(leftMs, kSliceMs)))) {
                return WaitStatus::kReady;
            }
            if (recordError() != WSAETIMEDOUT) {
                return WaitStatus::kFailed;
            }
            if (closedPortReported(static_cast<SOCKET>(s))) {
                return WaitStatus::kPeerUnreachable;
            }
            if (leftMs <= kSliceMs) {
                return WaitStatus::kTimedOut;
            }
        }
    }

    Transfer receive(SocketHandle s, char* buffer, int capacity, SocketPeer* from) override {
        // A datagram longer than `capacity` fails with WSAEMSGSIZE; its
        // first bytes are in the buffer, the rest is lost.
        if (!waitReadable(static_cast<SOCKET>(s), -1)) {
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
        // on a receive (unless switched off, see openDatagramSocket); Wine
        // ignores that switch, fails a later send with WSAECONNREFUSED now
        // and then, and keeps that error in SO_ERROR (see
        // closedPortReported); a receive whose time-out runs out ends with
        // WSAETIMEDOUT. All of them mean that the simulator is not running.
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

std::string socketErrorText(int error) {
    char text[256] = {};
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) {
        --length;
    }
    std::string number = "Windows Sockets error " + std::to_string(error);
    return length > 0 ? std::string(text, length) + " (" + number + ")" : number;
}

DatagramSockets& systemSockets() {
    // Never destroyed: threads may still use it while the process ends.
    static auto* api = new WinsockApi();
    return *api;
}

}  // namespace platform
