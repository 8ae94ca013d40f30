#include "app/link_threads.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/process.h"
#include "platform/thread.h"
#include "simlink/il2connection.h"
#include "tests/support/fake_sockets.h"
#include "tests/support/wait_until.h"

namespace {

// Each batch of queries may connect the socket anew once, so a network that
// came back with another local address is found again within a batch. The
// sending thread never ends, so it runs in a process of its own.
TEST(LinkThreads, EachBatchOfQueriesMayConnectAnew) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto sendWhileNoNetwork = [] {
        // Both live until the process ends, as the sending thread uses them.
        auto* sockets = new testsupport::FakeSockets;
        sockets->sendAfterwards = platform::TransferStatus::kNetworkDown;
        il2Connection = new IL2Connection("127.0.0.1", 20010, *sockets);
        platform::startThread("askDataThread", askDataThread, nullptr);
        testsupport::waitUntil(10, [&] { return sockets->reconnectCalls >= 3; });
        std::_Exit(sockets->reconnectCalls >= 3 ? 0 : 1);
    };
    EXPECT_EXIT(sendWhileNoNetwork(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
