#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/sockets.h"
#include "simlink/answer_watch.h"

// The connection's fatal messages, without their line feed: the socket layer
// cannot start, an address is not a dotted IPv4 one, the socket cannot be
// opened or connected, a transfer (`call` is "send" or "recv") fails. `error`
// is the platform's error number.
std::string socketStartupMessage(int error);
std::string cannotResolveMessage(const std::string& address, int error);
std::string cannotOpenSocketMessage(int error);
std::string cannotConnectMessage(int error);
std::string transferFailedMessage(const char* call, int error);

// The one connected UDP socket to the simulator. The main thread makes it
// before the worker threads start; then one sender thread and one receiver
// thread use it at the same time: the socket layer allows one of each.
// Whether the simulator answers, and which of the values shown it has stopped
// answering, is kept under `stateMutex_`, which each change holds until its
// line is printed, so that the last line printed is always the state. The
// simulator not running, paused or silent, and a lost network, are not
// failures: one console line tells of each change, and polling goes on. A
// network that comes back with another local address is met by connecting the
// socket anew. Only datagrams from the simulator's address and port count,
// also while the socket is between two connections. Every other socket
// failure ends the process with its one message.
class IL2Connection {
  public:
    // Connects to `address`, dotted-decimal IPv4 only (no name is resolved;
    // 0.0.0.0 is this computer, 127.0.0.1), and `port` in host order. Sends
    // nothing. Does not return on failure.
    IL2Connection(const char* address, uint16_t port,
                  platform::SocketApi& sockets = platform::systemSockets());
    // The program never destroys its connection; tests do.
    ~IL2Connection();
    IL2Connection(const IL2Connection&) = delete;
    IL2Connection& operator=(const IL2Connection&) = delete;

    // The values whose answers are watched one by one (those that a display
    // line shows). Before the worker threads start.
    void watchValues(AnswerWatch::ValueSet values) { answers_.watchValues(values); }

    // A batch of queries begins: the sends that follow may connect the
    // socket anew once more, and the first of them judges which watched
    // values went unanswered. Sender thread only.
    void beginBatch();
    // Sends `length` bytes as one datagram and returns the count sent (0 when
    // the simulator or the network is not there to take it; the query is
    // lost). After the first report of a lost network in a batch, the socket
    // is connected anew, so that the system chooses the local address again,
    // and the query is sent once more. Does not return on failure.
    int sendData(const char* data, int length);
    // Blocks for one datagram of at most `capacity` bytes from the simulator
    // and returns its length, 0 or more. A longer datagram, and one from any
    // other sender, is dropped, and a report that the peer or the network is
    // unreachable is noted; then it waits for the next datagram. Does not
    // return on failure.
    int recData(char* buffer, int capacity);

  private:
    // Message, close, clean-up, exit: the order in which a failed transfer
    // ends. Only the first thread to fail gets that far.
    [[noreturn]] void failTransfer(const char* call);
    // Parks the calling thread once the other one has begun to end the
    // process, so that it neither prints nor touches the closed socket.
    void stopIfEnding();
    [[noreturn]] static void waitForTheEnd();
    // Sends once more after a reported lost network, over a socket
    // connected anew, at most once per batch.
    platform::Transfer sendAgainOnNewConnection(const char* data, int length);
    // These change the state and print its line under `stateMutex_`.
    void queryGoesOut();
    void peerUnreachable();
    void peerAnswered(const char* answer, int length);
    void printSilent();
    void printMissingValues();
    // Whether a datagram comes from the simulator.
    bool fromServer(const platform::SocketPeer& sender) const;

    platform::SocketApi& sockets_;
    platform::SocketHandle socket_ = platform::kInvalidSocket;
    // The peer in network byte order, to connect to anew; the simulator's
    // answers come from it.
    uint32_t serverAddress_ = 0;
    uint16_t serverPort_ = 0;
    // Kept only for the console line that says the simulator does not answer.
    char address_[16] = {};
    uint16_t port_;
    // The sender thread's own: whether this batch may still connect anew,
    // whether its first query is still to go out, and whether the socket is
    // connected (a failed new connection leaves it without a peer on POSIX,
    // where a send would then fail for good).
    bool mayConnectAnew_ = true;
    bool batchBegins_ = true;
    bool connected_ = true;
    // Both threads change the state; the change and its line happen under
    // the mutex.
    std::mutex stateMutex_;
    AnswerWatch answers_;
    std::atomic<bool> ending_{false};
};
