#include "tools/flightmfd_sim/udp_endpoint.h"

// winsock2.h brings windows.h itself, after the definitions that keep the
// old winsock.h out.
#include <winsock2.h>

#include <chrono>

namespace {

// Not in every mingw-w64 release of mstcpip.h.
#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

SOCKET handleOf(intptr_t descriptor) {
    return static_cast<SOCKET>(descriptor);
}

sockaddr_in socketAddress(const UdpPeer& peer) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(peer.port);
    address.sin_addr.s_addr = htonl(peer.address);
    return address;
}

// Windows Sockets is started once for the process and left running: every
// endpoint needs it, and the end of the process releases it.
int startWinsock() {
    static const int result = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return result;
}

// An ICMP "port unreachable" answer to an earlier datagram, reported on a
// later receive: Windows gives WSAECONNRESET unless that is switched off (see
// open()), Wine ignores the switch and gives WSAECONNREFUSED or WSAETIMEDOUT.
// To the stand-in it only means that a client has gone away.
bool reportsAnEarlierSend(int error) {
    return error == WSAECONNRESET || error == WSAECONNREFUSED || error == WSAETIMEDOUT;
}

}  // namespace

const int UdpEndpoint::kRefusedAddress = WSAEADDRNOTAVAIL;

std::string errorText(int error) {
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

void UdpEndpoint::open(uint16_t port) {
    int started = startWinsock();
    if (started != 0) {
        error_ = started;
        return;
    }
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        error_ = WSAGetLastError();
        return;
    }
    descriptor_ = static_cast<intptr_t>(s);
    // Otherwise an answer to a client that has gone away makes the next
    // receive fail, and with it the stand-in.
    BOOL report = FALSE;
    DWORD returned = 0;
    WSAIoctl(s, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr, nullptr);
    sockaddr_in address = socketAddress(UdpPeer{address_, port});
    int size = sizeof address;
    if (::bind(s, reinterpret_cast<const sockaddr*>(&address), size) == SOCKET_ERROR ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == SOCKET_ERROR) {
        error_ = WSAGetLastError();
        close();
        return;
    }
    port_ = ntohs(address.sin_port);
}

Received UdpEndpoint::receiveFrom(char* buffer, int capacity, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const SOCKET s = handleOf(descriptor_);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        long leftUs = left.count() > 0 ? static_cast<long>(left.count()) : 0;
        timeval wait = {leftUs / 1000000, leftUs % 1000000};
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        int ready = ::select(0, &readable, nullptr, nullptr, &wait);
        if (ready == 0) {
            return Received{ReceiveStatus::kTimedOut, -1, UdpPeer{}};
        }
        if (ready == SOCKET_ERROR) {
            error_ = WSAGetLastError();
            return Received{ReceiveStatus::kFailed, -1, UdpPeer{}};
        }
        sockaddr_in sender = {};
        int size = sizeof sender;
        int length =
            ::recvfrom(s, buffer, capacity, 0, reinterpret_cast<sockaddr*>(&sender), &size);
        UdpPeer from{ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port)};
        if (length != SOCKET_ERROR) {
            return Received{ReceiveStatus::kDatagram, length, from};
        }
        int error = WSAGetLastError();
        if (error == WSAEMSGSIZE) {
            // The buffer holds the datagram's first bytes; the rest is lost,
            // and so is its length.
            return Received{ReceiveStatus::kDatagram, capacity + 1, from};
        }
        if (!reportsAnEarlierSend(error)) {
            error_ = error;
            return Received{ReceiveStatus::kFailed, -1, UdpPeer{}};
        }
    }
}

bool UdpEndpoint::send(const UdpPeer& to, const char* data, int length) {
    sockaddr_in address = socketAddress(to);
    int sent = ::sendto(handleOf(descriptor_), data, length, 0,
                        reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (sent == SOCKET_ERROR) {
        error_ = WSAGetLastError();
        return false;
    }
    return true;
}

void UdpEndpoint::close() {
    if (descriptor_ >= 0) {
        closesocket(handleOf(descriptor_));
        descriptor_ = -1;
    }
}
