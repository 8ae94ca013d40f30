#include "platform/sockets.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <winsock2.h>
#endif

#include <cerrno>
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
    // Connected to `port`, as the program's socket, or as the preview's,
    // which is to report a closed port.
    SocketHandle client(uint16_t port, bool reporting = false) {
        opened_.push_back(reporting ? api_.openReportingDatagramSocket()
                                    : api_.openDatagramSocket());
        EXPECT_EQ(api_.connect(opened_.back(), loopback_, port), 0) << api_.lastError();
        return opened_.back();
    }
    // The next datagram on `socket`, or what came instead.
    std::string receive(SocketHandle socket, SocketPeer* from = nullptr, int capacity = 256) {
        const WaitStatus waited = api_.waitForDatagram(socket, kWaitMs);
        if (waited != WaitStatus::kReady) {
            return waited == WaitStatus::kPeerUnreachable ? "<closed port>" : "<nothing>";
        }
        char buffer[256];
        const Transfer received = api_.receive(socket, buffer, capacity, from);
        return outcome(received, std::string(buffer, received.count > 0 ? received.count : 0));
    }
    static std::string outcome(const Transfer& transfer, const std::string& text = "") {
        switch (transfer.status) {
            case TransferStatus::kOk:
                return text;
            case TransferStatus::kPeerUnreachable:
                return "<closed port>";
            case TransferStatus::kTooLong:
                return "<too long>";
            default:
                return "<failed>";
        }
    }
    bool sendTo(SocketHandle socket, const std::string& text, const SocketPeer& to) {
        return api_.sendTo(socket, text.data(), static_cast<int>(text.size()), to).count ==
               static_cast<int>(text.size());
    }

    DatagramSockets& api_;
    uint32_t loopback_ = 0;
    std::vector<SocketHandle> opened_;
};

// Each platform's error numbers, grouped by what they mean to the caller.
TEST_F(Sockets, FailedTransfersMeanWhatTheirErrorSays) {
    const struct {
        TransferStatus status;
        std::vector<int> errors;
    } cases[] = {
#ifdef _WIN32
        {TransferStatus::kTooLong, {WSAEMSGSIZE}},
        {TransferStatus::kPeerUnreachable, {WSAECONNRESET, WSAECONNREFUSED, WSAETIMEDOUT}},
        {TransferStatus::kNetworkDown,
         {WSAENETUNREACH, WSAEHOSTUNREACH, WSAEHOSTDOWN, WSAENETDOWN, WSAEADDRNOTAVAIL}},
        {TransferStatus::kFailed, {WSAENOTSOCK, WSAEINTR, WSAENOBUFS, 0}},
#else
        {TransferStatus::kTooLong, {EMSGSIZE}},
        {TransferStatus::kPeerUnreachable, {ECONNREFUSED}},
        {TransferStatus::kNetworkDown,
         {ENETUNREACH, EHOSTUNREACH, EHOSTDOWN, ENETDOWN, EADDRNOTAVAIL}},
        {TransferStatus::kFailed, {EBADF, ENOTSOCK, ECONNRESET, ENOBUFS, 0}},
#endif
    };
    for (const auto& c : cases) {
        for (const int error : c.errors) {
            EXPECT_EQ(transferStatusOf(error), c.status) << error;
        }
    }
}

TEST_F(Sockets, ParsesOnlyDottedDecimalAddresses) {
    const struct {
        const char* text;
        unsigned char bytes[4];  // in the order they go on the wire
    } valid[] = {{"127.0.0.1", {127, 0, 0, 1}},
                 {"0.0.0.0", {0, 0, 0, 0}},
                 {"255.255.255.255", {255, 255, 255, 255}},
                 {"192.168.1.20", {192, 168, 1, 20}}};
    uint32_t address = 0;
    for (const auto& c : valid) {
        EXPECT_TRUE(api_.parseAddress(c.text, &address)) << c.text;
        EXPECT_EQ(std::memcmp(&address, c.bytes, 4), 0) << c.text;
    }
    for (const char* text : {"256.0.0.1", "1.2.3", "1.2.3.4.5", "127.1", "0x7f.0.0.1", "localhost",
                             "", " 1.2.3.4", "1.2.3.4 ", "1.2.3.-4"}) {
        EXPECT_FALSE(api_.parseAddress(text, &address)) << '"' << text << '"';
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

    // A call that a signal cut short leaves errno at EINTR: no later call
    // that succeeds may take it for its own and go again.
    errno = EINTR;
    ASSERT_TRUE(sendTo(simulator, "A/30\\120.5", from));
    ASSERT_TRUE(sendTo(simulator, "", from));
    EXPECT_EQ(receive(program, &from), "A/30\\120.5");
    EXPECT_EQ(from.port, port);
    EXPECT_EQ(receive(program), "");
    errno = EINTR;
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
    SocketPeer from;
    EXPECT_EQ(receive(program, &from, 8), "<too long>");
    EXPECT_EQ(transferStatusOf(api_.lastError()), TransferStatus::kTooLong) << api_.lastError();
    EXPECT_EQ(from.address, loopback_);
    EXPECT_EQ(from.port, port);
    EXPECT_EQ(receive(program, nullptr, 8), "A/31\\1");
}

// The preview's socket hears of a closed port on every platform (Wine tells
// only the wait). Neither kind of socket fails for it: once the simulator
// starts, the same socket reaches it, a report still pending failing a call
// or two first.
TEST_F(Sockets, AnAbsentPeerLeavesTheSocketUsableAndIsReportedWhenAsked) {
    for (const bool reporting : {true, false}) {
        const uint16_t port = api_.localPort(peer());
        api_.close(opened_.back());
        opened_.pop_back();
        const SocketHandle program = client(port, reporting);
        ASSERT_EQ(api_.send(program, "R/30", 4).status, TransferStatus::kOk);
        if (reporting) {
            EXPECT_EQ(receive(program), "<closed port>") << api_.lastError();
        }
        const SocketHandle simulator = peer(port);
        SocketPeer from;
        std::string asked = "<closed port>";
        for (int attempt = 0; attempt < 3 && asked == "<closed port>"; ++attempt) {
            const Transfer sent = api_.send(program, "R/31", 4);
            asked = sent.status == TransferStatus::kOk ? receive(simulator, &from) : outcome(sent);
        }
        EXPECT_EQ(asked, "R/31");
        ASSERT_TRUE(sendTo(simulator, "A/31\\2", from));
        std::string answer = "<closed port>";
        for (int attempt = 0; attempt < 3 && answer == "<closed port>"; ++attempt) {
            answer = receive(program);
        }
        EXPECT_EQ(answer, "A/31\\2") << "reporting " << reporting << ", " << api_.lastError();
    }
}

#ifndef _WIN32
// A second connect alone keeps the local address and port that the first
// chose, gone or not; connecting anew must let the system choose again.
// (Windows connects anew in place, keeping the port.)
class SocketsPosix : public Sockets {};

TEST_F(SocketsPosix, ConnectingAnewChoosesTheLocalPortAgain) {
    const uint16_t port = api_.hostToNetworkPort(9);  // nothing is sent
    const SocketHandle socket = client(port);
    const uint16_t first = api_.localPort(socket);
    // A new port may be the old one by chance, but not three times in a row.
    bool chosenAgain = false;
    for (int i = 0; i < 3 && !chosenAgain; ++i) {
        ASSERT_EQ(api_.reconnect(socket, loopback_, port), 0);
        chosenAgain = api_.localPort(socket) != first;
    }
    EXPECT_TRUE(chosenAgain);
}
#endif

}  // namespace
}  // namespace platform
