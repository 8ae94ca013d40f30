#include "platform/sockets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace platform {
namespace {

// Generous: what a test waits for has been sent already, but for a report of
// a closed port; the bound only ends a broken test.
constexpr int kWaitMs = 3000;

// The socket layer for one test, and sockets on 127.0.0.1 that it closes at
// the end: peers that play the simulator, and clients that ask it.
class Sockets : public ::testing::Test {
  protected:
    Sockets() : api_(systemSockets()) {
        EXPECT_EQ(api_.startup(0x0202), 0);
        EXPECT_TRUE(api_.parseAddress("127.0.0.1", &loopback_));
    }
    ~Sockets() override {
        for (SocketHandle socket : opened_) {
            api_.close(socket);
        }
        api_.cleanup();
    }

    // Bound to `port` (network byte order; 0: a free one).
    SocketHandle peer(uint16_t port = 0) {
        opened_.push_back(api_.openDatagramSocket());
        EXPECT_EQ(api_.bind(opened_.back(), loopback_, port), 0) << api_.lastError();
        return opened_.back();
    }
    // Connected to `port`, as the program's socket, or as the preview's
    // when it is to report a closed port.
    SocketHandle client(uint16_t port, bool reporting = false) {
        opened_.push_back(reporting ? api_.openReportingDatagramSocket()
                                    : api_.openDatagramSocket());
        EXPECT_EQ(api_.connect(opened_.back(), loopback_, port), 0) << api_.lastError();
        return opened_.back();
    }
    void closeLast() {
        api_.close(opened_.back());
        opened_.pop_back();
    }
    // The next datagram on `socket`, or what came instead.
    Transfer receive(SocketHandle socket, std::string* text, int capacity = 256,
                     SocketPeer* from = nullptr) {
        const WaitStatus waited = api_.waitForDatagram(socket, kWaitMs);
        if (waited != WaitStatus::kReady) {
            return Transfer{waited == WaitStatus::kPeerUnreachable
                                ? TransferStatus::kPeerUnreachable
                                : TransferStatus::kFailed,
                            -1};
        }
        char buffer[256];
        const Transfer received = api_.receive(socket, buffer, capacity, from);
        *text = std::string(buffer, received.status == TransferStatus::kOk ? received.count : 0);
        return received;
    }
    std::string receive(SocketHandle socket, SocketPeer* from = nullptr) {
        std::string text;
        const Transfer received = receive(socket, &text, 256, from);
        return received.status == TransferStatus::kOk ? text : "<nothing>";
    }
    bool sendTo(SocketHandle socket, const std::string& text, const SocketPeer& to) {
        return api_.sendTo(socket, text.data(), static_cast<int>(text.size()), to).status ==
               TransferStatus::kOk;
    }

    SocketApi& api_;
    uint32_t loopback_ = 0;
    std::vector<SocketHandle> opened_;
};

TEST_F(Sockets, ParsesOnlyDottedDecimalAddresses) {
    const struct {
        const char* text;
        bool valid;
        unsigned char bytes[4];  // in the order they go on the wire
    } cases[] = {
        {"127.0.0.1", true, {127, 0, 0, 1}},
        {"0.0.0.0", true, {0, 0, 0, 0}},
        {"255.255.255.255", true, {255, 255, 255, 255}},
        {"192.168.1.20", true, {192, 168, 1, 20}},
        {"256.0.0.1", false, {}},
        {"1.2.3", false, {}},
        {"1.2.3.4.5", false, {}},
        {"127.1", false, {}},
        {"0x7f.0.0.1", false, {}},
        {"localhost", false, {}},
        {"", false, {}},
        {" 1.2.3.4", false, {}},
        {"1.2.3.4 ", false, {}},
        {"1.2.3.-4", false, {}},
    };
    for (const auto& c : cases) {
        uint32_t address = 0;
        EXPECT_EQ(api_.parseAddress(c.text, &address), c.valid) << '"' << c.text << '"';
        if (c.valid) {
            EXPECT_EQ(std::memcmp(&address, c.bytes, 4), 0) << c.text;
        }
    }
}

TEST_F(Sockets, DatagramsTravelWholeAndApart) {
    const SocketHandle simulator = peer();
    const uint16_t port = api_.localPort(simulator);
    ASSERT_NE(port, 0);
    const SocketHandle program = client(port);
    EXPECT_EQ(api_.send(program, "R/30", 4).count, 4);
    EXPECT_EQ(api_.send(program, "R/31", 4).count, 4);
    SocketPeer from;
    EXPECT_EQ(receive(simulator, &from), "R/30");
    EXPECT_EQ(from.address, loopback_);
    EXPECT_EQ(from.port, api_.localPort(program));
    EXPECT_EQ(receive(simulator), "R/31");

    ASSERT_TRUE(sendTo(simulator, "A/30\\120.5", from));
    ASSERT_TRUE(sendTo(simulator, "", from));
    EXPECT_EQ(receive(program, &from), "A/30\\120.5");
    EXPECT_EQ(from.port, port);
    std::string empty = "<nothing>";
    EXPECT_EQ(receive(program, &empty).count, 0);
    EXPECT_EQ(empty, "");
    EXPECT_EQ(api_.waitForDatagram(program, 0), WaitStatus::kTimedOut);
}

// A cut datagram would be read wrongly; its sender still tells whether it
// was the simulator's.
TEST_F(Sockets, ALongDatagramIsDroppedItsSenderToldAndTheNextArrives) {
    const SocketHandle simulator = peer();
    const uint16_t port = api_.localPort(simulator);
    const SocketHandle program = client(port);
    const SocketPeer to{loopback_, api_.localPort(program)};
    ASSERT_TRUE(sendTo(simulator, "A/30\\1234567890", to));
    ASSERT_TRUE(sendTo(simulator, "A/31\\1", to));

    std::string text;
    SocketPeer from;
    const Transfer tooLong = receive(program, &text, 8, &from);
    EXPECT_EQ(tooLong.status, TransferStatus::kTooLong);
    EXPECT_EQ(tooLong.count, -1);
    EXPECT_EQ(transferStatusOf(api_.lastError()), TransferStatus::kTooLong) << api_.lastError();
    EXPECT_EQ(from.address, loopback_);
    EXPECT_EQ(from.port, port);
    EXPECT_EQ(receive(program, &text, 8).status, TransferStatus::kOk);
    EXPECT_EQ(text, "A/31\\1");
}

// The preview's socket hears of a closed port on every platform (Wine tells
// only the wait). Neither kind of socket fails for it: once the simulator
// starts, the same socket reaches it, a report still pending failing a call
// or two first.
TEST_F(Sockets, AnAbsentPeerLeavesTheSocketUsableAndIsReportedWhenAsked) {
    for (const bool reporting : {true, false}) {
        peer();
        const uint16_t port = api_.localPort(opened_.back());
        closeLast();
        const SocketHandle program = client(port, reporting);
        ASSERT_EQ(api_.send(program, "R/30", 4).status, TransferStatus::kOk);
        std::string text;
        if (reporting) {
            Transfer absent = {TransferStatus::kFailed, -1};
            for (int attempt = 0; attempt < 3 && absent.status == TransferStatus::kFailed;
                 ++attempt) {
                absent = receive(program, &text);
            }
            EXPECT_EQ(absent.status, TransferStatus::kPeerUnreachable) << api_.lastError();
        }

        const SocketHandle simulator = peer(port);
        SocketPeer from;
        std::string asked;
        for (int attempt = 0; attempt < 3 && asked.empty(); ++attempt) {
            const Transfer sent = api_.send(program, "R/31", 4);
            if (sent.status == TransferStatus::kOk) {
                asked = receive(simulator, &from);
            } else {
                EXPECT_EQ(sent.status, TransferStatus::kPeerUnreachable) << api_.lastError();
            }
        }
        EXPECT_EQ(asked, "R/31");
        ASSERT_TRUE(sendTo(simulator, "A/31\\2", from));
        Transfer answer = {TransferStatus::kPeerUnreachable, -1};
        for (int attempt = 0; attempt < 3 && answer.status == TransferStatus::kPeerUnreachable;
             ++attempt) {
            answer = receive(program, &text);
        }
        ASSERT_EQ(answer.status, TransferStatus::kOk) << api_.lastError();
        EXPECT_EQ(text, "A/31\\2") << "reporting " << reporting;
    }
}

}  // namespace
}  // namespace platform
