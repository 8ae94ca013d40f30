#include "simlink/answer_watch.h"

namespace {

int64_t ticksOf(AnswerWatch::Clock::time_point time) {
    return static_cast<int64_t>(time.time_since_epoch().count());
}

}  // namespace

bool AnswerWatch::answered(Clock::time_point now) {
    return lastNews_.exchange(ticksOf(now)) == kSilent;
}

bool AnswerWatch::querying(Clock::time_point now) {
    int64_t last = lastNews_.load();
    if (last == kNoQueryYet) {
        // Lost only to an answer or a report, which count for more.
        lastNews_.compare_exchange_strong(last, ticksOf(now));
        return false;
    }
    if (last == kSilent || ticksOf(now) - last < static_cast<int64_t>(kSilence.count())) {
        return false;
    }
    // Fails when an answer came in the meantime, or the other thread has
    // already found the silence.
    return lastNews_.compare_exchange_strong(last, kSilent);
}

bool AnswerWatch::unreachable() {
    return lastNews_.exchange(kSilent) != kSilent;
}
