#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "tools/flightmfd_sim/options.h"
#include "tools/flightmfd_sim/udp_endpoint.h"

// The value text that answers `code` `seconds` after the start: the fixed
// text in fixed mode, else the looping flight's value. False: no answer.
bool answerValue(const SimulatorOptions& options, int code, double seconds, std::string* text);

// Whether one of `spells` holds `sinceFirstQuery` seconds after the first
// query reached the stand-in.
bool inSpell(const std::vector<Spell>& spells, double sinceFirstQuery);

// Answers every query that reaches `endpoint`, each with one datagram to
// where it came from, until `stop` is set or the duration in `options` has
// passed. Anything that is not a query is ignored, and so is every query
// during a silent spell, and every query of an instrument reading during an
// online spell; a line on standard output tells when a spell begins and
// ends. False if the socket fails. The caller owns the endpoint; `stop` may
// be set from a signal handler or another thread.
bool serve(UdpEndpoint& endpoint, const SimulatorOptions& options, const std::atomic<bool>& stop);
