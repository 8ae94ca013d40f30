#include "simlink/il2connection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <future>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/process.h"
#include "tests/support/fake_sockets.h"
#include "tests/support/wait_until.h"
#include "tools/flightmfd_sim/udp_endpoint.h"

namespace {

using platform::TransferStatus;
using testsupport::CountingSockets;
using testsupport::FakeSockets;

const TransferStatus kOk = TransferStatus::kOk;
const TransferStatus kUnreachable = TransferStatus::kPeerUnreachable;
const TransferStatus kDown = TransferStatus::kNetworkDown;
const TransferStatus kTooLong = TransferStatus::kTooLong;
const TransferStatus kFailed = TransferStatus::kFailed;

const std::string kSilent = "Simulator not answering on 127.0.0.1 : 20010, polling goes on\n";
const std::string kAgain = "Simulator answering again\n";

std::string receiveOne(IL2Connection& connection) {
    char buffer[1024];
    int length = connection.recData(buffer, sizeof buffer);
    return std::string(buffer, static_cast<size_t>(length));
}

// ---- Failure paths, through the fake ----

struct FatalCase {
    const char* name;
    void (*arrange)(FakeSockets& sockets);
    void (*act)(IL2Connection& connection);  // null: construction fails
    int error;                               // the error number of the failed step
    std::string expectedMessage;
};

void PrintTo(const FatalCase& c, std::ostream* out) {
    *out << c.name;
}

// The whole of standard error: the message, then the fake's clean-up trace.
::testing::Matcher<const std::string&> fatalOutput(const std::string& message, bool closed) {
    return message + "\n" + (closed ? "[close]\n" : "") + "[cleanup]\n";
}

void sendQuery(IL2Connection& c) {
    c.sendData("R/30", 4);
}
void receiveAnswer(IL2Connection& c) {
    receiveOne(c);
}

const FatalCase kFatalCases[] = {
    {"StartupFails", [](FakeSockets& s) { s.startupResult = 10091; }, nullptr, 0,
     socketStartupMessage(10091)},
    {"OpenFails", [](FakeSockets& s) { s.openFails = true; }, nullptr, 10024,
     cannotOpenSocketMessage(10024)},
    {"ConnectFails", [](FakeSockets& s) { s.connectFails = true; }, nullptr, 10049,
     cannotConnectMessage(10049)},
    {"SendFails", [](FakeSockets& s) { s.sendResults = {kFailed}; }, sendQuery, 10054,
     transferFailedMessage("send", 10054)},
    {"SendFailsOnTheSecondTry",
     [](FakeSockets& s) {
         s.sendResults = {kUnreachable, kFailed};
     },
     sendQuery, -3, transferFailedMessage("send", -3)},
    {"ReceiveFails", [](FakeSockets& s) { s.datagrams = {{kFailed}}; }, receiveAnswer, 10040,
     transferFailedMessage("recv", 10040)},
};

class IL2ConnectionFatal : public ::testing::TestWithParam<FatalCase> {};

TEST_P(IL2ConnectionFatal, PrintsItsMessageCleansUpAndExits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const FatalCase& c = GetParam();
    auto run = [&c] {
        FakeSockets sockets;
        sockets.traceOnStderr = true;
        sockets.failureError = c.error;
        c.arrange(sockets);
        IL2Connection connection("127.0.0.1", 20010, sockets);
        if (c.act != nullptr) {
            c.act(connection);
        }
        std::fputs("[returned]\n", stderr);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(platform::kExitFailureStatus),
                fatalOutput(c.expectedMessage, c.act != nullptr));
}

INSTANTIATE_TEST_SUITE_P(Fake, IL2ConnectionFatal, ::testing::ValuesIn(kFatalCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IL2Connection, TextThatIsNotADottedAddressIsNotResolved) {
    // The number is the platform's "host not found", not whatever the last
    // failed call left behind; clean-up still comes before the end.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const char* address : {"localhost", "1.2.3.4.5", "127.0.0.1 "}) {
        FakeSockets sockets;
        sockets.traceOnStderr = true;
        EXPECT_EXIT(IL2Connection(address, 20010, sockets),
                    ::testing::ExitedWithCode(platform::kExitFailureStatus),
                    fatalOutput(cannotResolveMessage(address, 11001), false))
            << address;
    }
    // The same with the system's sockets, which know no host name either.
    const int notFound = platform::systemSockets().hostNotFoundError();
    for (const char* address : {"localhost", "1.2.3", "256.1.1.1"}) {
        EXPECT_EXIT(
            IL2Connection(address, 20010), ::testing::ExitedWithCode(platform::kExitFailureStatus),
            ::testing::Matcher<const std::string&>(cannotResolveMessage(address, notFound) + "\n"))
            << address;
    }
}

TEST(IL2Connection, ConnectsToTheParsedAddressAndPrintsThePortUnsigned) {
    FakeSockets sockets;
    ::testing::internal::CaptureStdout();
    IL2Connection connection("10.0.0.1", 65535, sockets);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Socket connected to server [10.0.0.1 : 65535]\n");
    uint32_t expected = 0;
    ASSERT_TRUE(platform::systemSockets().parseAddress("10.0.0.1", &expected));
    EXPECT_EQ(sockets.connectedAddress, expected);
    EXPECT_EQ(sockets.connectedPort, platform::systemSockets().hostToNetworkPort(65535));
    EXPECT_EQ(sockets.sendCalls, 0);
}

// The simulator's own "any address" is this computer on every platform:
// Windows would refuse to connect to it.
TEST(IL2Connection, AnyAddressIsThisComputer) {
    FakeSockets sockets;
    ::testing::internal::CaptureStdout();
    IL2Connection connection("0.0.0.0", 20010, sockets);
    uint32_t loopback = 0;
    ASSERT_TRUE(platform::systemSockets().parseAddress("127.0.0.1", &loopback));
    EXPECT_EQ(sockets.connectedAddress, loopback);
    // The fake checks that a new connection goes to the same address.
    sockets.sendResults = {kDown, kDown};
    connection.beginBatch();
    EXPECT_EQ(connection.sendData("R/30", 4), 0);
    EXPECT_EQ(sockets.reconnectCalls, 1);
    sockets.datagrams = {{kOk, "A/30\\1"}};
    EXPECT_EQ(receiveOne(connection), "A/30\\1");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Socket connected to server [0.0.0.0 : 20010]\n"
              "Simulator not answering on 0.0.0.0 : 20010, polling goes on\n"
              "Simulator answering again\n");
}

// ---- The simulator coming and going, through the fake ----

TEST(IL2Connection, ReceiveGoesOnThroughUnreachablePeerLostNetworkAndTooLongDatagrams) {
    FakeSockets sockets;
    IL2Connection connection("127.0.0.1", 20010, sockets);
    sockets.datagrams = {{kUnreachable},   {kUnreachable},   {kUnreachable}, {kOk, "A/30\\1"},
                         {kTooLong},       {kOk, "A/32\\2"}, {kDown},        {kDown},
                         {kOk, "A/34\\3"}, {kUnreachable},   {kDown},        {kOk, ""}};
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(receiveOne(connection), "A/30\\1");
    EXPECT_EQ(receiveOne(connection), "A/32\\2");
    EXPECT_EQ(receiveOne(connection), "A/34\\3");
    EXPECT_EQ(receiveOne(connection), "");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              kSilent + kAgain + kSilent + kAgain + kSilent + kAgain);
    EXPECT_TRUE(sockets.datagrams.empty());
}

// Sends through the fake, each step checked.
struct SendCase {
    const char* name;
    std::deque<TransferStatus> sendResults;
    std::deque<int> reconnectResults;
    const char* steps;  // "b": a batch begins; "4:2": a send returns 4, with 2 sends made so far
    int reconnectCalls;
};

void PrintTo(const SendCase& c, std::ostream* out) {
    *out << c.name;
}

const SendCase kSendCases[] = {
    // A send that only takes the report of an earlier query sent nothing: it
    // is tried once more. A query that found no network is tried once more
    // over a socket connected anew, once a batch; then it is lost. The first
    // batch needs no beginning.
    {"UnreachablePeerOrNetwork",
     {kUnreachable, kOk, kUnreachable, kUnreachable, kOk, kDown, kUnreachable, kDown, kOk},
     {},
     "4:2 0:4 4:5 0:7 0:8 4:9",
     1},
    // A network that comes back with another local address fails every send
    // until the socket is connected anew.
    {"ANewConnectionOnceABatch", {kDown, kDown, kDown, kDown, kOk}, {}, "b 0:2 0:3 b 4:5", 2},
    {"NothingGoesOutUntilConnectedAnew", {kDown, kOk}, {-1, -1, 0}, "b 0:1 0:1 b 0:1 b 4:2 4:3", 3},
};

class IL2ConnectionSend : public ::testing::TestWithParam<SendCase> {};

TEST_P(IL2ConnectionSend, GoesOnWithoutThePeerOrTheNetwork) {
    const SendCase& c = GetParam();
    FakeSockets sockets;
    IL2Connection connection("127.0.0.1", 20010, sockets);
    sockets.sendResults = c.sendResults;
    sockets.reconnectResults = c.reconnectResults;
    ::testing::internal::CaptureStdout();
    std::istringstream steps(c.steps);
    for (std::string step; steps >> step;) {
        if (step == "b") {
            connection.beginBatch();
        } else {
            EXPECT_EQ(connection.sendData("R/30", 4), step[0] - '0') << step;
            EXPECT_EQ(sockets.sendCalls, std::stoi(step.substr(2))) << step;
        }
    }
    EXPECT_EQ(sockets.reconnectCalls, c.reconnectCalls);
    // Only an answer says that the simulator is back; one line for the change.
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), kSilent);
}

INSTANTIATE_TEST_SUITE_P(Fake, IL2ConnectionSend, ::testing::ValuesIn(kSendCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A failed new connection leaves the socket without a peer, open to any
// sender; only the simulator's datagrams may count.
TEST(IL2Connection, OnlyTheSimulatorIsHeardWhileTheSocketHasNoPeer) {
    FakeSockets sockets;
    IL2Connection connection("127.0.0.1", 20010, sockets);
    sockets.sendResults = {kDown};
    sockets.reconnectResults = {-1};
    ::testing::internal::CaptureStdout();
    connection.beginBatch();
    EXPECT_EQ(connection.sendData("R/40", 4), 0);
    // A stranger's datagram too long to read tells nothing of the simulator,
    // which is still silent when the next report comes.
    sockets.datagrams = {{kOk, "A/40\\9999", 20011},
                         {kOk, "A/40\\9998", 0, "127.0.0.2"},
                         {kTooLong, "", 53},
                         {kUnreachable},
                         {kOk, "A/40\\1"}};
    EXPECT_EQ(receiveOne(connection), "A/40\\1");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), kSilent + kAgain);
}

// Within a batch, the answers to its first queries come back while the rest
// still go out: values that answer again in one batch get one line, not a
// line for each that is still on its way. A batch after a pause of the
// sender restarts every clock before it judges.
TEST(IL2Connection, WatchedValuesAreJudgedOnceABatch) {
    FakeSockets sockets;
    IL2Connection connection("127.0.0.1", 20010, sockets);
    const AnswerWatch::ValueSet both = valueBit(*flightValueNamed("speedometer_indicated")) |
                                       valueBit(*flightValueNamed("altimeter"));
    connection.watchValues(both);
    auto ask = [&](const char* query, const char* answer) {
        connection.sendData(query, 4);
        sockets.datagrams = {{kOk, answer}};
        receiveOne(connection);
    };
    ::testing::internal::CaptureStdout();
    connection.beginBatch();
    ask("R/30", "A/30\\250");
    ask("R/40", "A/40\\1000");
    // The sender stops for over a second while a late answer still comes.
    std::this_thread::sleep_for(std::chrono::milliseconds(1050));
    sockets.datagrams = {{kOk, "A/22\\Yak-1"}};
    receiveOne(connection);
    connection.beginBatch();
    connection.sendData("R/22", 4);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    ::testing::internal::CaptureStdout();
    // The aircraft's name answers; both watched values stop for over a second.
    for (int batch = 0; batch < 12; ++batch) {
        connection.beginBatch();
        ask("R/22", "A/22\\Yak-1");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    connection.beginBatch();
    ask("R/30", "A/30\\250");
    ask("R/40", "A/40\\1000");
    connection.beginBatch();
    connection.sendData("R/22", 4);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              missingValuesLine(both) + "\nAll shown values answering again\n");
}

TEST(IL2Connection, AReceiveThatFindsNoNetworkWaitsBeforeTheNext) {
    // Such a report may come at once, again and again, for as long as the
    // network is down; without a pause the receiver would take a whole core.
    FakeSockets sockets;
    IL2Connection connection("127.0.0.1", 20010, sockets);
    sockets.datagrams = {{kDown}, {kDown}, {kOk, "A/30\\1"}};
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(receiveOne(connection), "A/30\\1");
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(sockets.receiveTimes.size(), 3u);
    for (size_t i = 1; i < sockets.receiveTimes.size(); ++i) {
        EXPECT_GE(sockets.receiveTimes[i] - sockets.receiveTimes[i - 1],
                  std::chrono::milliseconds(40))
            << "receive " << i;
    }
}

TEST(IL2Connection, TheLastStateLinePrintedIsTheState) {
    // The sender finds the port unreachable at every send while the receiver
    // gets an answer at every receive. However the two threads interleave,
    // the lines alternate, beginning with "not answering", as the changes do;
    // so the last line printed tells the state.
    FakeSockets sockets;
    IL2Connection connection("127.0.0.1", 20010, sockets);
    sockets.sendAfterwards = kUnreachable;
    sockets.receiveAfterwards = FakeSockets::Datagram{kOk, "A/30\\1"};
    constexpr int kCalls = 400000;
    ::testing::internal::CaptureStdout();
    // Both begin together, so that their calls overlap.
    std::atomic<int> ready{0};
    auto together = [&ready] {
        ++ready;
        while (ready < 2) {
        }
    };
    std::thread receiver([&] {
        together();
        for (int i = 0; i < kCalls; ++i) {
            receiveOne(connection);
        }
    });
    together();
    for (int i = 0; i < kCalls; ++i) {
        connection.sendData("R/30", 4);
    }
    receiver.join();
    std::istringstream output(::testing::internal::GetCapturedStdout());
    int lines = 0;
    for (std::string line; std::getline(output, line); ++lines) {
        ASSERT_EQ(line + "\n", lines % 2 == 0 ? kSilent : kAgain) << "line " << lines + 1;
    }
    EXPECT_GE(lines, 1);
}

// One thread's fatal failure closes the socket under the other, which is then
// in, or soon in, a send or receive of its own. Only the first one's line may
// be printed.
TEST(IL2Connection, AFatalTransferPrintsOneLineWhileTheOtherThreadGoesOn) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    using std::chrono::milliseconds;
    // Both live until the process ends, as the threads that use them do.
    auto connectFake = [](FakeSockets*& sockets) {
        sockets = new FakeSockets;
        sockets->traceOnStderr = true;
        sockets->closeLingerMs = 500;
        return new IL2Connection("127.0.0.1", 20010, *sockets);
    };
    auto receiveFailsWhileSendsGoOn = [&] {
        FakeSockets* sockets = nullptr;
        IL2Connection* connection = connectFake(sockets);
        sockets->datagrams = {{kFailed}};
        sockets->failureError = 10040;
        std::thread([connection] {
            for (;;) {
                connection->sendData("R/30", 4);
                std::this_thread::sleep_for(milliseconds(1));
            }
        }).detach();
        std::this_thread::sleep_for(milliseconds(50));
        receiveOne(*connection);
        std::fputs("[returned]\n", stderr);
    };
    EXPECT_EXIT(receiveFailsWhileSendsGoOn(),
                ::testing::ExitedWithCode(platform::kExitFailureStatus),
                fatalOutput(transferFailedMessage("recv", 10040), true));

    auto sendFailsWhileAReceiveWaits = [&] {
        FakeSockets* sockets = nullptr;
        IL2Connection* connection = connectFake(sockets);
        sockets->receiveWaitsForClose = true;
        sockets->sendResults = {kOk, kFailed};
        sockets->failureError = 10054;
        std::thread([connection] { receiveOne(*connection); }).detach();
        std::this_thread::sleep_for(milliseconds(50));
        connection->sendData("R/30", 4);
        connection->sendData("R/32", 4);
        std::fputs("[returned]\n", stderr);
    };
    EXPECT_EXIT(sendFailsWhileAReceiveWaits(),
                ::testing::ExitedWithCode(platform::kExitFailureStatus),
                fatalOutput(transferFailedMessage("send", 10054), true));
}

// ---- Real sockets on 127.0.0.1 ----

using testsupport::waitUntil;

constexpr int kGenerousMs = 10000;

// recData on a thread of its own, as the program uses it, so that a receive
// that never returns fails the test instead of hanging it. Such a thread is
// left behind, holding its share of the connection.
class PendingReceive {
  public:
    explicit PendingReceive(std::shared_ptr<IL2Connection> connection) {
        std::packaged_task<std::string()> receive([connection] { return receiveOne(*connection); });
        result_ = receive.get_future();
        thread_ = std::thread(std::move(receive));
    }
    ~PendingReceive() { finished_ ? thread_.join() : thread_.detach(); }
    std::optional<std::string> get() {
        finished_ =
            result_.wait_for(std::chrono::milliseconds(kGenerousMs)) == std::future_status::ready;
        return finished_ ? std::make_optional(result_.get()) : std::nullopt;
    }

  private:
    std::future<std::string> result_;
    std::thread thread_;
    bool finished_ = false;
};

TEST(IL2ConnectionLoopback, MovesWholeDatagramsBothWays) {
    UdpEndpoint peer(0);
    ASSERT_TRUE(peer.isOpen()) << peer.error();
    ::testing::internal::CaptureStdout();
    auto connection = std::make_shared<IL2Connection>("127.0.0.1", peer.port());
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Socket connected to server [127.0.0.1 : " + std::to_string(peer.port()) + "]\n");

    // Constructing sent nothing: the first datagram to arrive is the first query.
    EXPECT_EQ(connection->sendData("R/30", 4), 4);
    EXPECT_EQ(connection->sendData("R/32", 4), 4);
    EXPECT_EQ(peer.receive(kGenerousMs), "R/30");
    EXPECT_EQ(peer.receive(kGenerousMs), "R/32");

    const std::string longest = "A/22\\" + std::string(1019, 'x');
    const std::string sent[] = {"A/30\\1", "A/32\\22", "", std::string(1500, 'y'),
                                longest,   "A/40\\3"};
    for (const std::string& datagram : sent) {
        ASSERT_TRUE(peer.reply(datagram));
    }
    // Back to back, never joined; 0 bytes is a datagram; 1500 bytes cannot be
    // an answer and is dropped; 1024 bytes fit exactly.
    for (const std::string& expected : {sent[0], sent[1], sent[2], sent[4], sent[5]}) {
        EXPECT_EQ(PendingReceive(connection).get(), expected);
    }
}

TEST(IL2ConnectionLoopback, ValuesFlowAgainOnceThePeerListensAgain) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows sockets are told not to report a closed port at all";
#endif
    auto peer = std::make_unique<UdpEndpoint>(0);
    ASSERT_TRUE(peer->isOpen()) << peer->error();
    const uint16_t port = peer->port();
    // Never destroyed: a receiver left behind by a failure may still use it.
    static CountingSockets& sockets = *new CountingSockets;
    sockets.unreachable = 0;
    auto connection = std::make_shared<IL2Connection>("127.0.0.1", port, sockets);
    peer.reset();

    ::testing::internal::CaptureStdout();
    PendingReceive answer(connection);
    ASSERT_TRUE(waitUntil(10, [&] {
        connection->sendData("R/30", 4);
        return sockets.unreachable > 0;
    })) << "the closed port was never reported";

    peer = std::make_unique<UdpEndpoint>(port);
    ASSERT_TRUE(peer->isOpen()) << "port " << port << " was taken meanwhile";
    ASSERT_TRUE(waitUntil(10, [&] {
        connection->sendData("R/30", 4);
        return peer->receive(50).has_value();
    }));
    ASSERT_TRUE(peer->reply("A/30\\7"));
    EXPECT_EQ(answer.get(), "A/30\\7");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Simulator not answering on 127.0.0.1 : " + std::to_string(port) +
                  ", polling goes on\nSimulator answering again\n");
}

TEST(IL2ConnectionLoopback, ANewConnectionWhileTheReceiverWaitsCarriesTheAnswer) {
    UdpEndpoint peer(0);
    ASSERT_TRUE(peer.isOpen()) << peer.error();
    // Never destroyed: a receiver left behind by a failure may still use it.
    static CountingSockets& sockets = *new CountingSockets;
    auto connection = std::make_shared<IL2Connection>("127.0.0.1", peer.port(), sockets);
    // The receiver waits in its receive while the sender connects anew.
    PendingReceive answer(connection);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    sockets.lostNetworkSends = 1;
    connection->beginBatch();
    ::testing::internal::CaptureStdout();
    const int sent = connection->sendData("R/32", 4);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(sent, 4);
    EXPECT_EQ(sockets.reconnects.load(), 1);
    ASSERT_EQ(peer.receive(kGenerousMs), "R/32");
    ASSERT_TRUE(peer.reply("A/32\\5"));
    EXPECT_EQ(answer.get(), "A/32\\5");
}

}  // namespace
