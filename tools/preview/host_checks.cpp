#include "tools/preview/host_checks.h"

#include <cstring>
#include <memory>
#include <string>

#include "platform/sockets.h"
#include "simlink/il2connection.h"
#include "tools/preview/wording.h"

namespace {

constexpr char kHost[] = "il2host";

// Decimal digits, perhaps with blanks around them, from 1 to 65535: the
// program reads anything else too, but rarely as the port that was meant.
bool wellFormedPort(const char* text) {
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    long value = 0;
    const char* digits = text;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > 65535) {
            return false;
        }
    }
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    return text != digits && *text == '\0' && value >= 1;
}

// The port that the program's own reader takes from one <il2host>.
uint16_t programPort(const std::shared_ptr<XMLNode>& host) {
    XMLNode document("", {});
    document.children.push_back(host);
    char address[kAddressBufferSize] = {};
    char* addressPointer = address;
    uint16_t port = 0;
    readConfiguration(document, addressPointer, port);
    return port;
}

std::string stopsWith(const std::string& message) {
    return ": the program stops at start-up with \"" + message + "\"";
}

// The program's own message for an address that it cannot connect to.
std::string unresolved(const std::string& address) {
    return stopsWith(cannotResolveMessage(address, platform::systemSockets().hostNotFoundError()));
}

// The last ipAddress given, when the program cannot use it: unless an
// earlier one was too long, which stops it in any case, this is the address
// the program ends up with.
struct LastAddress {
    size_t problem = std::string::npos;  // index of its finding
    std::string value;
};

void checkAddress(const char* value, int32_t line, Findings* findings, LastAddress* last) {
    last->problem = std::string::npos;
    if (usableAddress(value)) {
        return;
    }
    std::string message = "ipAddress " + quoted(value) +
                          " is not an IPv4 address such as 127.0.0.1 (four numbers from 0 to "
                          "255, dots between; not a name)";
    if (std::strlen(value) >= kAddressBufferSize) {
        findings->push_back({line, message + stopsWith(addressTooLongMessage(value)), true});
        return;
    }
    findings->push_back({line, message});
    last->problem = findings->size() - 1;
    last->value = value;
}

void checkAttributes(const std::shared_ptr<XMLNode>& host, int32_t line, bool* addressGiven,
                     Findings* findings, LastAddress* last) {
    for (const XMLAttribute& attribute : host->attributes) {
        const char* name = attribute.name.c_str();
        const char* value = attribute.value.c_str();
        if (std::strcmp(name, "ipAddress") == 0) {
            *addressGiven = true;
            checkAddress(value, line, findings, last);
        } else if (std::strcmp(name, "port") == 0 && !wellFormedPort(value)) {
            findings->push_back({line, "port " + quoted(value) +
                                           " is not a number from 1 to 65535: the program "
                                           "would use " +
                                           std::to_string(programPort(host))});
        }
    }
}

}  // namespace

bool usableAddress(const char* address) {
    if (std::strlen(address) >= kAddressBufferSize) {
        return false;
    }
    // Windows wants its socket layer started before it reads an address.
    platform::SocketApi& sockets = platform::systemSockets();
    if (sockets.startup(0x0202) != 0) {
        return false;
    }
    uint32_t parsed = 0;
    const bool usable = sockets.parseAddress(address, &parsed);
    sockets.cleanup();
    return usable;
}

void checkHosts(const XMLNode& root, const ConfigurationReport& report, Findings* findings) {
    int32_t firstHostLine = 0;
    bool addressGiven = false;
    LastAddress lastAddress;
    for (const std::shared_ptr<XMLNode>& child : root.children) {
        if (std::strcmp(child->name.c_str(), kHost) != 0) {
            continue;
        }
        const int32_t line = child->line;
        if (firstHostLine == 0) {
            firstHostLine = line;
        } else {
            findings->push_back({line, "another <il2host> (the first is on line " +
                                           std::to_string(firstHostLine) +
                                           "): what it gives replaces the earlier values"});
        }
        checkAttributes(child, line, &addressGiven, findings, &lastAddress);
    }
    if (lastAddress.problem != std::string::npos) {
        Finding& problem = (*findings)[lastAddress.problem];
        problem.message += unresolved(lastAddress.value);
        problem.stops = true;
    }
    const std::string noPort = stopsWith(noPortMessage());
    if (firstHostLine == 0) {
        findings->push_back({root.line,
                             "no <il2host ipAddress=\"...\" port=\"...\"/>, which gives the "
                             "simulator's address and port" +
                                 noPort,
                             true});
        return;
    }
    if (!addressGiven) {
        findings->push_back(
            {firstHostLine,
             "<il2host> gives no ipAddress, the simulator's address" + unresolved(""), true});
    }
    if (!report.portFound) {
        findings->push_back({firstHostLine, "<il2host> gives no port" + noPort, true});
    }
}
