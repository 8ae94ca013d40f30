#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/xml_reader.h"
#include "display/template_token.h"

// The configuration file, looked for in the working folder, and the most of it
// that the start-up reads: it reads once, so a longer file is cut there.
constexpr char kConfigFileName[] = "config.xml";
constexpr int32_t kConfigReadLimit = 9999;

// Size of the caller's address buffer: any dotted IPv4 address and its NUL.
constexpr size_t kAddressBufferSize = 16;

// What readConfiguration found that the start-up must reject (it prints nothing itself).
struct ConfigurationReport {
    bool portFound = false;       // a `port` attribute was applied
    bool addressTooLong = false;  // an `ipAddress` did not fit the buffer; it was NOT copied
    std::string rejectedAddress;  // that text, for the start-up's message
};

// The start-up's messages, without their line feed, for a configuration that it
// rejects: an address that did not fit (the first one), and no port.
std::string addressTooLongMessage(const std::string& address);
std::string noPortMessage();

// Walks the root's direct children once, in document order; the root itself is
// never interpreted. Each `line` element gives one token (its text is the value
// name; `prefix`, `unit` and `suffix` attributes, empty when absent). Each
// `il2host` element is applied in turn, a later attribute replacing an earlier
// one: `ipAddress` is copied with its NUL into the buffer il2IPAddress points at
// (kAddressBufferSize bytes), and `port` gives the low 16 bits of its decimal
// number as read by atoi. Everything else is ignored; names match exactly.
//
// An `ipAddress` that does not fit the buffer is never copied: the buffer keeps
// the last address that fitted (or stays as the caller made it), and the report
// keeps the first address that did not fit, even when a later `il2host` brings
// one that does. A configuration that held a bad address is rejected as a
// whole rather than run with whichever address happened to come last.
std::vector<TemplateToken> readConfiguration(XMLNode root, char*& il2IPAddress, uint16_t& il2Port,
                                             ConfigurationReport* report = nullptr);
