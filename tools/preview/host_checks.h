#pragma once

#include "config/configuration.h"
#include "config/xml_reader.h"
#include "tools/preview/finding.h"

// True when the program can connect to `address`: it fits the program's
// address buffer and is a dotted IPv4 address as the program's socket layer
// reads it.
bool usableAddress(const char* address);

// Checks every <il2host> among the root's children, and that together they
// give the program an address and a port. `report` is what the program's
// configuration reader said of the whole document.
void checkHosts(const XMLNode& root, const ConfigurationReport& report, Findings* findings);
