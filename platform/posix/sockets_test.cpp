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

}  // namespace
}  // namespace platform
