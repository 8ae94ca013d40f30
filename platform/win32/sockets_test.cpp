#include "platform/sockets.h"

#include <gtest/gtest.h>
#include <winsock2.h>

namespace platform {
namespace {

TEST(SocketsWindows, FailedTransfersMeanWhatTheirErrorSays) {
    const struct {
        int error;
        TransferStatus status;
    } cases[] = {
        {WSAEMSGSIZE, TransferStatus::kTooLong},
        {WSAECONNRESET, TransferStatus::kPeerUnreachable},
        {WSAECONNREFUSED, TransferStatus::kPeerUnreachable},
        {WSAETIMEDOUT, TransferStatus::kPeerUnreachable},
        {WSAENETUNREACH, TransferStatus::kNetworkDown},
        {WSAEHOSTUNREACH, TransferStatus::kNetworkDown},
        {WSAEHOSTDOWN, TransferStatus::kNetworkDown},
        {WSAENETDOWN, TransferStatus::kNetworkDown},
        {WSAEADDRNOTAVAIL, TransferStatus::kNetworkDown},
        {WSAENOTSOCK, TransferStatus::kFailed},
        {WSAEINTR, TransferStatus::kFailed},
        {WSAENOBUFS, TransferStatus::kFailed},
        {0, TransferStatus::kFailed},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(transferStatusOf(c.error), c.status) << c.error;
    }
}

}  // namespace
}  // namespace platform
