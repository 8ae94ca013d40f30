#include "simlink/answer_watch.h"

#include <algorithm>

bool AnswerWatch::answered(Clock::time_point now) {
    const bool endsSilence = silent_;
    silent_ = false;
    lastNews_ = std::max(lastNews_, now);
    return endsSilence;
}

bool AnswerWatch::querying(Clock::time_point now) {
    const bool clockStarts = !queried_ || now - lastQuery_ > kSilence;
    queried_ = true;
    lastQuery_ = std::max(lastQuery_, now);
    if (clockStarts) {
        lastNews_ = std::max(lastNews_, now);
        return false;
    }
    if (silent_ || now - lastNews_ < kSilence) {
        return false;
    }
    silent_ = true;
    return true;
}

bool AnswerWatch::unreachable() {
    const bool beginsSilence = !silent_;
    silent_ = true;
    return beginsSilence;
}
