#include "platform/sockets.h"

#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

namespace platform {
namespace {

const uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// Winsock for one test, and a plain bound UDP socket on 127.0.0.1 that plays
// the simulator. Receives on both sides are bounded so that no test hangs.
class SocketsWindows : public ::testing::Test {
  protected:
    SocketsWindows() : api_(systemSockets()) { api_.startup(0x0202); }
    ~SocketsWindows() override {
        closePeer();
        if (client_ != kInvalidSocket) {
            api_.close(client_);
        }
        api_.cleanup();
    }

    // A free port: bound once by the system's choice, then released.
    uint16_t freePort() {
        openPeer(0);
        uint16_t port = peerPort_;
        closePeer();
        return port;
    }

    void openPeer(uint16_t port) {
        peer_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = port;
        address.sin_addr.s_addr = kLoopback;
        ASSERT_EQ(bind(peer_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        int length = sizeof address;
        getsockname(peer_, reinterpret_cast<sockaddr*>(&address), &length);
        peerPort_ = address.sin_port;
        boundReceives(peer_);
    }

    void closePeer() {
        if (peer_ != INVALID_SOCKET) {
            closesocket(peer_);
            peer_ = INVALID_SOCKET;
        }
    }

    void connectClient(uint16_t port) {
        client_ = api_.openDatagramSocket();
        ASSERT_NE(client_, kInvalidSocket);
        boundReceives(static_cast<SOCKET>(client_));
        ASSERT_EQ(api_.connect(client_, kLoopback, port), 0);
    }

    static void boundReceives(SOCKET s) {
        // Every datagram a test waits for has been sent already, but for the
        // one to an absent peer, which never comes.
        DWORD timeoutMs = 3000;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs),
                   sizeof timeoutMs);
    }

    // What the peer received, answering `reply` to its sender.
    std::string peerExchange(const std::string& reply) {
        char buffer[256];
        sockaddr_in from = {};
        int length = sizeof from;
        int count =
            recvfrom(peer_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (count < 0) {
            return "<nothing>";
        }
        sendto(peer_, reply.data(), static_cast<int>(reply.size()), 0,
               reinterpret_cast<sockaddr*>(&from), length);
        return std::string(buffer, count);
    }

    SocketApi& api_;
    SocketHandle client_ = kInvalidSocket;
    SOCKET peer_ = INVALID_SOCKET;
    uint16_t peerPort_ = 0;
};

TEST_F(SocketsWindows, ParsesOnlyDottedDecimalAddresses) {
    const struct {
        const char* text;
        bool valid;
        uint32_t hostOrder;
    } cases[] = {
        {"127.0.0.1", true, 0x7F000001},
        {"0.0.0.0", true, 0},
        {"255.255.255.255", true, 0xFFFFFFFF},
        {"192.168.1.20", true, 0xC0A80114},
        {"256.0.0.1", false, 0},
        {"1.2.3", false, 0},
        {"1.2.3.4.5", false, 0},
        {"127.1", false, 0},
        {"0x7f.0.0.1", false, 0},
        {"localhost", false, 0},
        {"", false, 0},
        {" 1.2.3.4", false, 0},
        {"1.2.3.4 ", false, 0},
        {"1.2.3.-4", false, 0},
    };
    for (const auto& c : cases) {
        uint32_t address = 0;
        EXPECT_EQ(api_.parseAddress(c.text, &address), c.valid) << '"' << c.text << '"';
        if (c.valid) {
            EXPECT_EQ(ntohl(address), c.hostOrder) << c.text;
        }
    }
}

TEST(SocketsWindowsErrors, FailedTransfersMeanWhatTheirErrorSays) {
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

TEST_F(SocketsWindows, DatagramsTravelWholeAndApart) {
    openPeer(0);
    connectClient(peerPort_);
    EXPECT_EQ(api_.send(client_, "R/30", 4).count, 4);
    EXPECT_EQ(peerExchange("A/30\\120.5"), "R/30");
    EXPECT_EQ(api_.send(client_, "R/31", 4).count, 4);
    EXPECT_EQ(peerExchange(""), "R/31");

    char buffer[1024];
    Transfer first = api_.receive(client_, buffer, sizeof buffer, nullptr);
    ASSERT_EQ(first.status, TransferStatus::kOk);
    EXPECT_EQ(std::string(buffer, first.count), "A/30\\120.5");
    Transfer empty = api_.receive(client_, buffer, sizeof buffer, nullptr);
    EXPECT_EQ(empty.status, TransferStatus::kOk);
    EXPECT_EQ(empty.count, 0);
}

TEST_F(SocketsWindows, ALongDatagramIsDroppedAndTheNextArrives) {
    openPeer(0);
    connectClient(peerPort_);
    api_.send(client_, "R/30", 4);
    peerExchange("A/30\\1234567890");
    api_.send(client_, "R/31", 4);
    peerExchange("A/31\\1");

    char buffer[8];
    Transfer tooLong = api_.receive(client_, buffer, sizeof buffer, nullptr);
    EXPECT_EQ(tooLong.status, TransferStatus::kTooLong);
    EXPECT_EQ(tooLong.count, -1);
    EXPECT_EQ(api_.lastError(), WSAEMSGSIZE);
    Transfer next = api_.receive(client_, buffer, sizeof buffer, nullptr);
    ASSERT_EQ(next.status, TransferStatus::kOk);
    EXPECT_EQ(std::string(buffer, next.count), "A/31\\1");
}

TEST_F(SocketsWindows, AnAbsentPeerIsUnreachableAndTheSocketStaysUsable) {
    uint16_t port = freePort();
    connectClient(port);
    ASSERT_EQ(api_.send(client_, "R/30", 4).status, TransferStatus::kOk);
    char buffer[64];
    // Windows (with its reports of closed ports switched off) and Wine both
    // leave the receive waiting; its bound runs out, which counts the same.
    Transfer absent = api_.receive(client_, buffer, sizeof buffer, nullptr);
    EXPECT_EQ(absent.status, TransferStatus::kPeerUnreachable) << api_.lastError();

    // The simulator starts: the same socket reaches it. A report of the
    // closed port still pending may fail one call first, as unreachable.
    openPeer(port);
    std::string asked;
    for (int attempt = 0; attempt < 3 && asked.empty(); ++attempt) {
        Transfer sent = api_.send(client_, "R/31", 4);
        if (sent.status == TransferStatus::kOk) {
            asked = peerExchange("A/31\\2");
        } else {
            EXPECT_EQ(sent.status, TransferStatus::kPeerUnreachable) << api_.lastError();
        }
    }
    EXPECT_EQ(asked, "R/31");
    Transfer answer = {TransferStatus::kPeerUnreachable, -1};
    for (int attempt = 0; attempt < 3 && answer.status == TransferStatus::kPeerUnreachable;
         ++attempt) {
        answer = api_.receive(client_, buffer, sizeof buffer, nullptr);
    }
    ASSERT_EQ(answer.status, TransferStatus::kOk) << api_.lastError();
    EXPECT_EQ(std::string(buffer, answer.count), "A/31\\2");
}

}  // namespace
}  // namespace platform
