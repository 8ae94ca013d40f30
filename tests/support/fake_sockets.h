#pragma once

// Socket layers for the tests of the simulator link: one that fails any step
// on demand, and the system's own, counted. Header-only, for the GoogleTest
// executables; the support library itself has no GoogleTest.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/sockets.h"

namespace testsupport {

using platform::SocketHandle;
using platform::Transfer;
using platform::TransferStatus;

// A socket layer that fails the step it is told to, with the error number it
// is told to. Death tests see close and cleanup as lines on standard error
// between the message and the end, so the order of clean-up can be matched.
class FakeSockets : public platform::SocketApi {
  public:
    struct Datagram {
        TransferStatus status;
        std::string data = "";
        uint16_t fromPort = 0;              // host order; 0: the simulator's own port
        const char* fromAddress = nullptr;  // null: the simulator's own address
    };

    int startupResult = 0;
    bool openFails = false;
    bool connectFails = false;
    std::deque<TransferStatus> sendResults;  // sendAfterwards once they run out
    TransferStatus sendAfterwards = TransferStatus::kOk;
    std::deque<int> reconnectResults;  // 0 once they run out
    std::deque<Datagram> datagrams;
    // With no datagram left, a receive returns this one again and again.
    std::optional<Datagram> receiveAfterwards;
    int failureError = 0;  // lastError() after a failed step
    int hostNotFound = 11001;
    bool traceOnStderr = false;
    // As on Windows, closing the socket fails the other thread's send or
    // receive at once, with this error; close() then waits a while, as long
    // as that thread would need to print a line of its own.
    int closedError = 10038;  // WSAENOTSOCK
    int closeLingerMs = 0;
    // With no datagram left, a receive waits for the socket to be closed.
    bool receiveWaitsForClose = false;

    std::atomic<int> sendCalls{0};
    std::atomic<int> reconnectCalls{0};
    uint32_t connectedAddress = 0;
    uint16_t connectedPort = 0;
    std::vector<std::chrono::steady_clock::time_point> receiveTimes;

    int startup(uint16_t version) override {
        EXPECT_EQ(version, 0x0202);
        return startupResult;
    }
    void cleanup() override {
        trace("[cleanup]\n");
        lastError_ = 0;  // the error must have been read before this
    }
    int lastError() override { return lastError_; }
    SocketHandle openDatagramSocket() override {
        return openFails ? fail(platform::kInvalidSocket) : kHandle;
    }
    int connect(SocketHandle socket, uint32_t address, uint16_t port) override {
        EXPECT_EQ(socket, kHandle);
        connectedAddress = address;
        connectedPort = port;
        return connectFails ? fail(-1) : 0;
    }
    int reconnect(SocketHandle socket, uint32_t address, uint16_t port) override {
        EXPECT_EQ(socket, kHandle);
        EXPECT_EQ(address, connectedAddress);
        EXPECT_EQ(port, connectedPort);
        ++reconnectCalls;
        return next(reconnectResults, 0) == 0 ? 0 : fail(-1);
    }
    Transfer send(SocketHandle socket, const char*, int length) override {
        EXPECT_EQ(socket, kHandle);
        if (closed_) {
            return failClosed();
        }
        ++sendCalls;
        return transfer(next(sendResults, sendAfterwards), length);
    }
    Transfer receive(SocketHandle socket, char* buffer, int capacity,
                     platform::SocketPeer* from) override {
        EXPECT_EQ(socket, kHandle);
        if (datagrams.empty() && receiveWaitsForClose) {
            std::unique_lock<std::mutex> lock(mutex_);
            closing_.wait(lock, [this] { return closed_.load(); });
        }
        if (closed_) {
            return failClosed();
        }
        receiveTimes.push_back(std::chrono::steady_clock::now());
        if (datagrams.empty() && !receiveAfterwards) {
            ADD_FAILURE() << "receive called with no datagram left";
            std::abort();
        }
        const Datagram datagram = next(datagrams, receiveAfterwards.value_or(Datagram{}));
        datagram.data.copy(buffer, static_cast<size_t>(capacity));
        *from = platform::SocketPeer{connectedAddress, datagram.fromPort == 0
                                                           ? connectedPort
                                                           : hostToNetworkPort(datagram.fromPort)};
        if (datagram.fromAddress != nullptr) {
            parseAddress(datagram.fromAddress, &from->address);
        }
        return transfer(datagram.status, static_cast<int>(datagram.data.size()));
    }
    void close(SocketHandle socket) override {
        EXPECT_EQ(socket, kHandle);
        trace("[close]\n");
        lastError_ = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
        }
        closing_.notify_all();
        std::this_thread::sleep_for(std::chrono::milliseconds(closeLingerMs));
    }
    int hostNotFoundError() override { return hostNotFound; }

    static constexpr SocketHandle kHandle = 7;

  private:
    // The first of `queue`, taken from it, or `otherwise` when it is empty.
    template <typename T>
    static T next(std::deque<T>& queue, T otherwise) {
        if (queue.empty()) {
            return otherwise;
        }
        T first = queue.front();
        queue.pop_front();
        return first;
    }
    template <typename T>
    T fail(T result) {
        lastError_ = failureError;
        return result;
    }
    Transfer transfer(TransferStatus status, int count) {
        if (status == TransferStatus::kOk) {
            return Transfer{status, count};
        }
        return fail(Transfer{status, -1});
    }
    Transfer failClosed() {
        lastError_ = closedError;
        return Transfer{TransferStatus::kFailed, -1};
    }
    void trace(const char* line) {
        if (traceOnStderr) {
            std::fputs(line, stderr);
        }
    }

    // The fake keeps one last error for both threads; the tests that use two
    // threads read it before the other thread can fail.
    std::atomic<int> lastError_{0};
    std::atomic<bool> closed_{false};
    std::mutex mutex_;
    std::condition_variable closing_;
};

// The system's sockets, counting their "port unreachable" reports and the
// new connections, and failing the next sends on demand as a network that
// came back with another local address does.
class CountingSockets : public platform::SocketApi {
  public:
    std::atomic<int> unreachable{0};
    std::atomic<int> reconnects{0};
    std::atomic<int> lostNetworkSends{0};

    int startup(uint16_t version) override { return real_.startup(version); }
    void cleanup() override { real_.cleanup(); }
    int lastError() override { return real_.lastError(); }
    SocketHandle openDatagramSocket() override { return real_.openDatagramSocket(); }
    int connect(SocketHandle socket, uint32_t address, uint16_t port) override {
        return real_.connect(socket, address, port);
    }
    int reconnect(SocketHandle socket, uint32_t address, uint16_t port) override {
        ++reconnects;
        return real_.reconnect(socket, address, port);
    }
    Transfer send(SocketHandle socket, const char* data, int length) override {
        if (lostNetworkSends > 0) {
            --lostNetworkSends;
            return Transfer{TransferStatus::kNetworkDown, -1};
        }
        return count(real_.send(socket, data, length));
    }
    Transfer receive(SocketHandle socket, char* buffer, int capacity,
                     platform::SocketPeer* from) override {
        return count(real_.receive(socket, buffer, capacity, from));
    }
    void close(SocketHandle socket) override { real_.close(socket); }
    int hostNotFoundError() override { return real_.hostNotFoundError(); }

  private:
    Transfer count(Transfer transfer) {
        if (transfer.status == TransferStatus::kPeerUnreachable) {
            ++unreachable;
        }
        return transfer;
    }
    platform::SocketApi& real_ = platform::systemSockets();
};

}  // namespace testsupport
