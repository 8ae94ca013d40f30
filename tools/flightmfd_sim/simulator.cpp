#include "tools/flightmfd_sim/simulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

#include "display/flight_values.h"
#include "tools/flightmfd_sim/answers.h"
#include "tools/flightmfd_sim/flight_model.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long one wait for a query lasts at most, so that a stop request or the
// end of the duration is seen soon.
constexpr int kPollMs = 100;

// Whether a kind of spell is on, with the line that tells of each change.
struct SpellState {
    const char* begins;
    const char* ends;
    bool on = false;

    void follow(bool now) {
        if (now != on) {
            on = now;
            std::fputs(on ? begins : ends, stdout);
            std::fflush(stdout);
        }
    }
};

}  // namespace

bool answerValue(const SimulatorOptions& options, int code, double seconds, std::string* text) {
    if (!options.fixedMode) {
        return flightValue(code, seconds, text);
    }
    auto fixed = options.fixedValues.find(code);
    if (fixed == options.fixedValues.end()) {
        return false;
    }
    *text = fixed->second;
    return true;
}

bool inSpell(const std::vector<Spell>& spells, double sinceFirstQuery) {
    for (const Spell& spell : spells) {
        if (sinceFirstQuery >= spell.start && sinceFirstQuery < spell.start + spell.seconds) {
            return true;
        }
    }
    return false;
}

bool serve(UdpEndpoint& endpoint, const SimulatorOptions& options, const std::atomic<bool>& stop) {
    const Clock::time_point start = Clock::now();
    // Silent spells count from the first query, so that they begin at the
    // same point of a run however long the client took to start.
    std::optional<Clock::time_point> firstQuery;
    SpellState silent{"flightmfd-sim silent: queries are received, not answered\n",
                      "flightmfd-sim answering again\n"};
    SpellState online{"flightmfd-sim online: instrument readings are not answered\n",
                      "flightmfd-sim offline: instrument readings are answered again\n"};
    // A query is four bytes; anything that fills this buffer is not one.
    char query[64];
    while (!stop) {
        double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        int waitMs = kPollMs;
        if (options.durationSeconds > 0.0) {
            double leftMs = (options.durationSeconds - elapsed) * 1000.0;
            if (leftMs <= 0.0) {
                break;
            }
            waitMs = std::min(kPollMs, static_cast<int>(leftMs) + 1);
        }
        Received received = endpoint.receive(query, sizeof query, waitMs);
        if (received.status == ReceiveStatus::kFailed) {
            return false;
        }
        if (received.status == ReceiveStatus::kTimedOut) {
            continue;
        }
        std::string value;
        int code = queryCode(query, received.length);
        const Clock::time_point arrival = Clock::now();
        if (!firstQuery && code >= 0) {
            firstQuery = arrival;
        }
        if (firstQuery) {
            double sinceFirst = std::chrono::duration<double>(arrival - *firstQuery).count();
            silent.follow(inSpell(options.silentSpells, sinceFirst));
            online.follow(inSpell(options.onlineSpells, sinceFirst));
        }
        const FlightValue* asked = flightValueOfCode(code);
        if (silent.on || (online.on && asked != nullptr && isInstrumentReading(*asked))) {
            continue;
        }
        double now = std::chrono::duration<double>(arrival - start).count();
        if (code >= 0 && answerValue(options, code, now, &value)) {
            std::string answer = answerFor(code, value);
            // A lost answer is nothing new to a UDP client; the next query
            // asks again.
            endpoint.sendTo(received.from, answer.data(), static_cast<int>(answer.size()));
        }
    }
    return true;
}
