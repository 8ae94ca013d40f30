// flightmfd-schedule-reference PORT: the program's schedule and nothing else,
// to measure the CPU time that the schedule alone costs on this machine. Five
// threads as in the program: one sends the 21 queries to 127.0.0.1:PORT and
// sleeps 200 ms, one receives datagrams one at a time, the main thread sleeps
// 50 ms at a time, and two sleep 100 ms at a time. No answer is kept or parsed,
// nothing is formatted and no display is called. It runs until it is ended.
//
// While nothing listens on the port, a send on a connected UDP socket may
// report the "port unreachable" of an earlier datagram instead of sending
// its own; then it sends once more, as the program does, so that the same 21
// datagrams leave in every batch. Other failures are ignored.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display/flight_values.h"
#include "platform/sockets.h"
#include "platform/thread.h"

namespace {

platform::SocketApi& sockets = platform::systemSockets();
platform::SocketHandle connection = platform::kInvalidSocket;

uint32_t sendQueries(void*) {
    char buffer[1024];
    for (;;) {
        for (const FlightValue& value : kFlightValues) {
            std::strcpy(buffer, value.query);
            const int length = static_cast<int>(std::strlen(buffer));
            if (sockets.send(connection, buffer, length).status ==
                platform::TransferStatus::kPeerUnreachable) {
                sockets.send(connection, buffer, length);
            }
        }
        platform::sleepMs(200);
    }
}

uint32_t receiveAnswers(void*) {
    char buffer[1024];
    for (;;) {
        sockets.receive(connection, buffer, sizeof buffer, nullptr);
    }
}

// Stands for each display thread's pass and sleep.
uint32_t passEvery100Ms(void*) {
    for (;;) {
        platform::sleepMs(100);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int port = argc == 2 ? std::atoi(argv[1]) : 0;
    if (port <= 0 || port > 65535) {
        std::fprintf(stderr, "usage: flightmfd-schedule-reference PORT\n");
        return 2;
    }
    uint32_t address = 0;
    sockets.startup(0x0202);
    sockets.parseAddress("127.0.0.1", &address);
    connection = sockets.openDatagramSocket();
    if (connection == platform::kInvalidSocket ||
        sockets.connect(connection, address,
                        sockets.hostToNetworkPort(static_cast<uint16_t>(port))) != 0) {
        std::fprintf(stderr, "flightmfd-schedule-reference: no socket\n");
        return 1;
    }
    platform::startThread("sendQueries", sendQueries, nullptr);
    platform::startThread("receiveAnswers", receiveAnswers, nullptr);
    platform::startThread("refreshPass", passEvery100Ms, nullptr);
    platform::startThread("devicePass", passEvery100Ms, nullptr);
    for (;;) {
        platform::sleepMs(50);
    }
}
