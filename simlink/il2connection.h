#pragma once

#include <atomic>
#include <cstdint>

#include "platform/sockets.h"
#include "simlink/answer_watch.h"

// The one connected UDP socket to the simulator. The main thread makes it
// before the worker threads start; then one sender thread and one receiver
// thread use it at the same time without a lock: the socket layer allows one
// of each, and what they share (whether the simulator answers, whether the
// process is ending) is atomic. The simulator not running, paused or silent,
// and a lost network, are not failures: one console line tells of each change
// between answering and not answering, and polling goes on. Every other
// socket failure ends the process with its one message.
class IL2Connection {
  public:
    // Connects to `address`, dotted-decimal IPv4 only (no name is resolved),
    // and `port` in host order. Sends nothing. Does not return on failure.
    IL2Connection(const char* address, uint16_t port,
                  platform::SocketApi& sockets = platform::systemSockets());
    // The program never destroys its connection; tests do.
    ~IL2Connection();
    IL2Connection(const IL2Connection&) = delete;
    IL2Connection& operator=(const IL2Connection&) = delete;

    // Sends `length` bytes as one datagram and returns the count sent (0 when
    // the simulator or the network is not there to take it; the query is
    // lost). Does not return on failure.
    int sendData(const char* data, int length);
    // Blocks for one datagram of at most `capacity` bytes and returns its
    // length, 0 or more. A longer datagram is dropped, and a report that the
    // peer or the network is unreachable is noted; then it waits for the next
    // datagram. Does not return on failure.
    int recData(char* buffer, int capacity);

  private:
    // Message, close, clean-up, exit: the order in which a failed transfer
    // ends. Only the first thread to fail gets that far.
    [[noreturn]] void failTransfer(const char* call);
    // Parks the calling thread once the other one has begun to end the
    // process, so that it neither prints nor touches the closed socket.
    void stopIfEnding();
    [[noreturn]] static void waitForTheEnd();
    // These two print the state line when they change the state.
    void peerUnreachable();
    void peerAnswered();
    void printSilent();

    platform::SocketApi& sockets_;
    platform::SocketHandle socket_ = platform::kInvalidSocket;
    // Kept only for the console line that says the simulator does not answer.
    char address_[16] = {};
    uint16_t port_;
    // Written by both threads; only the thread whose call changes the state
    // prints its line.
    AnswerWatch answers_;
    std::atomic<bool> ending_{false};
};
