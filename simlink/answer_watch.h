#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

// Whether the simulator answers, decided from the answers themselves: the
// simulator is silent once no answer has come for kSilence while queries go
// out, or as soon as the peer or the network reports that a query cannot
// arrive; it answers again with the next answer. Each call says whether it
// changed that state, so that exactly one line is printed per change.
//
// The sender thread and the receiver thread call it at the same time. All its
// state is one atomic word, so that an answer that arrives while the sender
// decides on silence is never overwritten: the sender's change only takes
// effect when the word still holds the answer time it looked at. The sender
// looks at it once per query, so no thread and no wake-up is added for it.
class AnswerWatch {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kSilence = std::chrono::seconds(1);

    // An answer (any datagram from the peer) arrived at `now`; true when it
    // ends a silence.
    bool answered(Clock::time_point now);
    // A query goes out at `now`; true when this is the first to find no
    // answer for kSilence. The first query starts the clock, so that a
    // simulator that never answers is reported too, however long the
    // program took to start.
    bool querying(Clock::time_point now);
    // The peer's port or the network is reported unreachable; true when that
    // begins a silence.
    bool unreachable();

  private:
    // The time of the last answer (the first query until one comes), in
    // ticks of Clock, or one of these two marks.
    static constexpr int64_t kSilent = INT64_MIN;
    static constexpr int64_t kNoQueryYet = INT64_MIN + 1;
    std::atomic<int64_t> lastNews_{kNoQueryYet};
};
