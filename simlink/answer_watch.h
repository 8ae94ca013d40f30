#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "display/flight_values.h"

// Whether the simulator answers, decided from the answers themselves: the
// simulator is silent once no answer has come for kSilence while queries go
// out, or as soon as the peer or the network reports that a query cannot
// arrive; it answers again with the next answer. Each call says whether it
// changed that state, so that exactly one line is printed per change.
//
// Each watched value (one that a display line shows) is judged against the
// simulator's other answers, not against the clock: it is missing once the
// simulator's latest answer of any value is kSilence newer than the value's
// own, until its next answer. The simulator gives no instrument readings in
// online play, for one, while its other answers flow. A simulator that stops
// answers a batch's values over a frame or more, so by the clock the values
// answered first in its last batch would cross the line before the whole
// simulator does, and be named for a silence that is not theirs.
//
// Only time in which queries went out counts. A gap of more than kSilence
// between two queries means that the program itself was stopped (a laptop's
// sleep, a debugger, a paused virtual machine), not that the simulator kept
// quiet, so every clock starts again; so do the values' clocks when the
// simulator answers again after a silence.
//
// It has no lock: the sender and the receiver thread call it under a lock of
// its owner's, which covers the line that a change prints as well.
class AnswerWatch {
  public:
    using Clock = std::chrono::steady_clock;
    // Bit i stands for kFlightValues[i].
    using ValueSet = uint32_t;
    static constexpr Clock::duration kSilence = std::chrono::seconds(1);

    // The values to watch one by one; set before the first query.
    void watchValues(ValueSet values) { watched_ = values; }

    // An answer (any datagram from the peer) arrived at `now`, carrying the
    // value at `index` of kFlightValues, or -1 for none; true when it ends a
    // silence.
    bool answered(Clock::time_point now, int32_t index = -1);
    // A query goes out at `now`; true when this is the first to find no
    // answer for kSilence of querying. The first query starts the clock, so
    // that a simulator that never answers is reported too, however long the
    // program took to start.
    bool querying(Clock::time_point now);
    // The peer's port or the network is reported unreachable; true when that
    // begins a silence.
    bool unreachable();
    // Asked after querying(): true when the watched values that are missing
    // differ from those last reported; never while the simulator is silent,
    // which has a line of its own. missingValues() is the new set.
    bool valuesChanged();
    ValueSet missingValues() const { return reported_; }

  private:
    void restartValueClocks(Clock::time_point now);

    bool silent_ = false;
    bool queried_ = false;
    Clock::time_point lastQuery_;
    // The last answer, or the last start of the clock if that came later.
    Clock::time_point lastNews_;
    ValueSet watched_ = 0;
    ValueSet missing_ = 0;
    ValueSet reported_ = 0;
    std::array<Clock::time_point, kFlightValueCount> valueNews_{};
};

// The value bit of a value of kFlightValues.
AnswerWatch::ValueSet valueBit(const FlightValue& value);

// Why the simulator may not answer `missing`: for instrument readings alone,
// the simulator's own reason; else a plain statement. In parentheses.
const char* whyMissing(AnswerWatch::ValueSet missing);

// The names of `values` in the table's order, separated by ", ".
std::string valueNames(AnswerWatch::ValueSet values);

// The line that tells of `missing` values, without its line feed: "No answer
// for" their names and why.
std::string missingValuesLine(AnswerWatch::ValueSet missing);
