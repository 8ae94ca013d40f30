#include "platform/sockets.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace platform {
namespace {

TEST(SocketsPosix, FailedTransfersMeanWhatTheirErrorSays) {
    const struct {
        int error;
        TransferStatus status;
    } cases[] = {
        {EMSGSIZE, TransferStatus::kTooLong},
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

// A second connect alone keeps the local address and port that the first
// chose, gone or not; connecting anew must let the system choose again.
// (Windows connects anew in place, keeping the port.)
TEST(SocketsPosix, ConnectingAnewChoosesTheLocalPortAgain) {
    DatagramSockets& sockets = systemSockets();
    SocketHandle socket = sockets.openDatagramSocket();
    ASSERT_NE(socket, kInvalidSocket);
    uint32_t loopback = 0;
    ASSERT_TRUE(sockets.parseAddress("127.0.0.1", &loopback));
    const uint16_t port = sockets.hostToNetworkPort(9);  // nothing is sent
    ASSERT_EQ(sockets.connect(socket, loopback, port), 0);
    const uint16_t first = sockets.localPort(socket);
    // A new port may be the old one by chance, but not three times in a row.
    bool chosenAgain = false;
    for (int i = 0; i < 3 && !chosenAgain; ++i) {
        ASSERT_EQ(sockets.reconnect(socket, loopback, port), 0);
        chosenAgain = sockets.localPort(socket) != first;
    }
    EXPECT_TRUE(chosenAgain);
    sockets.close(socket);
}

}  // namespace
}  // namespace platform
