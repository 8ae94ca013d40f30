#include "platform/sockets.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace platform {
namespace {

TEST(SocketsPosix, FailedTransfersMeanWhatTheirErrorSays) {
    const struct {
        int error;
        TransferStatus status;
    } cases[] = {
        {ECONNREFUSED, TransferStatus::kPeerUnreachable},
        {ENETUNREACH, TransferStatus::kNetworkDown},
        {EHOSTUNREACH, TransferStatus::kNetworkDown},
        {EHOSTDOWN, TransferStatus::kNetworkDown},
        {ENETDOWN, TransferStatus::kNetworkDown},
        {EADDRNOTAVAIL, TransferStatus::kNetworkDown},
        {EBADF, TransferStatus::kFailed},
        {ENOTSOCK, TransferStatus::kFailed},
        {ECONNRESET, TransferStatus::kFailed},
        {ENOBUFS, TransferStatus::kFailed},
        {0, TransferStatus::kFailed},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(transferStatusOf(c.error), c.status) << c.error;
    }
}

uint16_t localPort(SocketHandle socket) {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    getsockname(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&local), &length);
    return local.sin_port;
}

// A second connect alone keeps the local address and port that the first
// chose, gone or not; connecting anew must let the system choose again.
TEST(SocketsPosix, ConnectingAnewChoosesTheLocalPortAgain) {
    SocketApi& sockets = systemSockets();
    SocketHandle socket = sockets.openDatagramSocket();
    ASSERT_NE(socket, kInvalidSocket);
    uint32_t loopback = 0;
    ASSERT_TRUE(sockets.parseAddress("127.0.0.1", &loopback));
    const uint16_t port = sockets.hostToNetworkPort(9);  // nothing is sent
    ASSERT_EQ(sockets.connect(socket, loopback, port), 0);
    const uint16_t first = localPort(socket);
    // A new port may be the old one by chance, but not three times in a row.
    bool chosenAgain = false;
    for (int i = 0; i < 3 && !chosenAgain; ++i) {
        ASSERT_EQ(sockets.reconnect(socket, loopback, port), 0);
        chosenAgain = localPort(socket) != first;
    }
    EXPECT_TRUE(chosenAgain);
    sockets.close(socket);
}

// POSIX cuts such a datagram and says so only in the message's flags; the
// caller still needs to know who sent it.
TEST(SocketsPosix, ATooLongDatagramIsDroppedAndSaysWhoSentIt) {
    SocketApi& sockets = systemSockets();
    const int peer = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in peerAddress{};
    peerAddress.sin_family = AF_INET;
    ASSERT_TRUE(sockets.parseAddress("127.0.0.1", &peerAddress.sin_addr.s_addr));
    ASSERT_EQ(::bind(peer, reinterpret_cast<sockaddr*>(&peerAddress), sizeof peerAddress), 0);
    const uint16_t peerPort = localPort(static_cast<SocketHandle>(peer));
    SocketHandle socket = sockets.openDatagramSocket();
    ASSERT_EQ(sockets.connect(socket, peerAddress.sin_addr.s_addr, peerPort), 0);
    sockaddr_in client{};
    client.sin_family = AF_INET;
    client.sin_addr.s_addr = peerAddress.sin_addr.s_addr;
    client.sin_port = localPort(socket);
    const std::string tooLong(1500, 'y');
    ASSERT_EQ(::sendto(peer, tooLong.data(), tooLong.size(), 0,
                       reinterpret_cast<sockaddr*>(&client), sizeof client),
              static_cast<ssize_t>(tooLong.size()));
    char buffer[1024];
    SocketPeer from;
    const Transfer received = sockets.receive(socket, buffer, sizeof buffer, &from);
    EXPECT_EQ(received.status, TransferStatus::kTooLong);
    EXPECT_EQ(from.address, peerAddress.sin_addr.s_addr);
    EXPECT_EQ(from.port, peerPort);
    sockets.close(socket);
    ::close(peer);
}

}  // namespace
}  // namespace platform
