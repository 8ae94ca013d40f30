#pragma once

#include <atomic>
#include <cstdint>

#include "platform/sockets.h"

// The one connected UDP socket to the simulator. The main thread makes it
// before the worker threads start; then one sender thread and one receiver
// thread use it at the same time without a lock: the socket layer allows one
// of each, and the only state they share, whether the simulator answers, is
// an atomic. Every socket failure ends the process with its message; the
// simulator not running yet, or restarting, is not a failure.
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
    // the simulator is not there to take it). Does not return on failure.
    int sendData(const char* data, int length);
    // Blocks for one datagram of at most `capacity` bytes and returns its
    // length, 0 or more. A longer datagram is dropped and a "port unreachable"
    // report is noted; in both cases it waits for the next datagram. Does not
    // return on failure.
    int recData(char* buffer, int capacity);

  private:
    // Message, close, clean-up, exit: the order in which a failed transfer ends.
    [[noreturn]] void failTransfer(const char* call);
    void peerUnreachable();
    void peerAnswered();

    platform::SocketApi& sockets_;
    platform::SocketHandle socket_ = platform::kInvalidSocket;
    // Kept only for the console line that says the simulator does not answer.
    char address_[16] = {};
    uint16_t port_;
    // Whether the last news of the simulator was an answer; the sender and the
    // receiver both write it, and only the thread that changes it prints.
    std::atomic<bool> peerAnswering_{true};
};
