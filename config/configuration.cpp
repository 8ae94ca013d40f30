#include "config/configuration.h"

#include <cstring>
#include <memory>
#include <utility>

namespace {

bool isAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The low 16 bits of the number that atoi reads from `text`: leading white
// space, an optional sign, then decimal digits up to the first other character;
// no digits give 0. Working modulo 65536 keeps the result defined for numbers
// of any length, where atoi itself would overflow.
uint16_t portNumber(const char* text) {
    while (isAsciiSpace(*text)) {
        ++text;
    }
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    uint32_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = (magnitude * 10 + static_cast<uint32_t>(*text - '0')) & 0xFFFFu;
    }
    return static_cast<uint16_t>(negative ? (0x10000u - magnitude) & 0xFFFFu : magnitude);
}

TemplateToken lineToken(const XMLNode& line) {
    char prefix[kXmlTextBufferSize] = {};
    char unit[kXmlTextBufferSize] = {};
    char suffix[kXmlTextBufferSize] = {};
    // The reader has cut every attribute value to 1023 characters, so each fits with its NUL.
    for (const XMLAttribute& attribute : line.attributes) {
        const char* name = attribute.name.c_str();
        if (strcmp(name, "prefix") == 0) {
            strcpy(prefix, attribute.value.c_str());
        } else if (strcmp(name, "unit") == 0) {
            strcpy(unit, attribute.value.c_str());
        } else if (strcmp(name, "suffix") == 0) {
            strcpy(suffix, attribute.value.c_str());
        }
    }
    return TemplateToken(line.textOrEmpty(), prefix, unit, suffix);
}

void applyHost(const XMLNode& host, char* il2IPAddress, uint16_t& il2Port,
               ConfigurationReport& report) {
    for (const XMLAttribute& attribute : host.attributes) {
        const char* name = attribute.name.c_str();
        const char* value = attribute.value.c_str();
        if (strcmp(name, "ipAddress") == 0) {
            if (strlen(value) < kAddressBufferSize) {
                strcpy(il2IPAddress, value);
            } else if (!report.addressTooLong) {
                report.addressTooLong = true;
                report.rejectedAddress = value;
            }
        } else if (strcmp(name, "port") == 0) {
            il2Port = portNumber(value);
            report.portFound = true;
        }
    }
}

}  // namespace

std::string addressTooLongMessage(const std::string& address) {
    return "ipAddress \"" + address + "\" in " + kConfigFileName +
           " is too long for an IPv4 address";
}

std::string noPortMessage() {
    return std::string("No port for il2host in ") + kConfigFileName;
}

// The tree is taken by value, as the start-up hands over a copy of its own.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
std::vector<TemplateToken> readConfiguration(XMLNode root, char*& il2IPAddress, uint16_t& il2Port,
                                             ConfigurationReport* report) {
    ConfigurationReport found;
    std::vector<TemplateToken> tokens;
    for (const std::shared_ptr<XMLNode>& child : root.children) {
        const char* name = child->name.c_str();
        if (strcmp(name, "line") == 0) {
            tokens.push_back(lineToken(*child));
        } else if (strcmp(name, "il2host") == 0) {
            applyHost(*child, il2IPAddress, il2Port, found);
        }
    }
    if (report != nullptr) {
        *report = std::move(found);
    }
    return tokens;
}
