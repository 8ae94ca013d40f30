#include "platform/sockets.h"

// Both platforms have inet_pton, htons and htonl, each in headers of its own.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

namespace platform {

bool SocketApi::parseAddress(const char* text, uint32_t* address) {
    in_addr parsed;
    if (inet_pton(AF_INET, text, &parsed) != 1) {
        return false;
    }
    *address = parsed.s_addr;
    return true;
}

uint16_t SocketApi::hostToNetworkPort(uint16_t port) {
    return htons(port);
}

uint32_t SocketApi::hostToNetworkAddress(uint32_t address) {
    return htonl(address);
}

}  // namespace platform
