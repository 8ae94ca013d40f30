#pragma once

#include <chrono>

// Whether the simulator answers, decided from the answers themselves: the
// simulator is silent once no answer has come for kSilence while queries go
// out, or as soon as the peer or the network reports that a query cannot
// arrive; it answers again with the next answer. Each call says whether it
// changed that state, so that exactly one line is printed per change.
//
// Only time in which queries went out counts. A gap of more than kSilence
// between two queries means that the program itself was stopped (a laptop's
// sleep, a debugger, a paused virtual machine), not that the simulator kept
// quiet, so the clock starts again.
//
// It has no lock: the sender and the receiver thread call it under a lock of
// its owner's, which covers the line that a change prints as well.
class AnswerWatch {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kSilence = std::chrono::seconds(1);

    // An answer (any datagram from the peer) arrived at `now`; true when it
    // ends a silence.
    bool answered(Clock::time_point now);
    // A query goes out at `now`; true when this is the first to find no
    // answer for kSilence of querying. The first query starts the clock, so
    // that a simulator that never answers is reported too, however long the
    // program took to start.
    bool querying(Clock::time_point now);
    // The peer's port or the network is reported unreachable; true when that
    // begins a silence.
    bool unreachable();

  private:
    bool silent_ = false;
    bool queried_ = false;
    Clock::time_point lastQuery_;
    // The last answer, or the last start of the clock if that came later.
    Clock::time_point lastNews_;
};
