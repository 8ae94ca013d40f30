#pragma once

#include "config/xml_reader.h"
#include "tools/preview/finding.h"

// Reports what the program's configuration reader passes over without a word:
// attributes and text of the root, elements among the root's children other
// than <line> and <il2host>, elements inside those two, attributes other than
// a line's prefix, unit and suffix and a host's ipAddress and port, and the
// text of an <il2host>. A name that looks like a slip for a known one gets
// the known one as a hint.
void checkIgnored(const XMLNode& root, Findings* findings);
