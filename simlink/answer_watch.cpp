#include "simlink/answer_watch.h"

#include <algorithm>

bool AnswerWatch::answered(Clock::time_point now, int32_t index) {
    const bool endsSilence = silent_;
    silent_ = false;
    lastNews_ = std::max(lastNews_, now);
    if (endsSilence) {
        restartValueClocks(now);
    }
    if (index >= 0 && index < kFlightValueCount) {
        valueNews_[static_cast<size_t>(index)] =
            std::max(valueNews_[static_cast<size_t>(index)], now);
        missing_ &= ~(ValueSet{1} << index);
    }
    return endsSilence;
}

bool AnswerWatch::querying(Clock::time_point now) {
    const bool clockStarts = !queried_ || now - lastQuery_ > kSilence;
    queried_ = true;
    lastQuery_ = std::max(lastQuery_, now);
    if (clockStarts) {
        lastNews_ = std::max(lastNews_, now);
        restartValueClocks(now);
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

bool AnswerWatch::valuesChanged() {
    if (silent_) {
        return false;
    }
    for (int32_t i = 0; i < kFlightValueCount; ++i) {
        const ValueSet bit = ValueSet{1} << i;
        if ((watched_ & bit) != 0 && lastNews_ - valueNews_[static_cast<size_t>(i)] >= kSilence) {
            missing_ |= bit;
        }
    }
    // Only watched values ever go missing.
    if (missing_ == reported_) {
        return false;
    }
    reported_ = missing_;
    return true;
}

void AnswerWatch::restartValueClocks(Clock::time_point now) {
    for (Clock::time_point& news : valueNews_) {
        news = std::max(news, now);
    }
}

AnswerWatch::ValueSet valueBit(const FlightValue& value) {
    return AnswerWatch::ValueSet{1} << (&value - kFlightValues);
}

const char* whyMissing(AnswerWatch::ValueSet missing) {
    for (const FlightValue& value : kFlightValues) {
        if ((missing & valueBit(value)) != 0 && !isInstrumentReading(value)) {
            return "(the simulator does not answer them)";
        }
    }
    return "(the simulator gives no instrument readings in online play or while a mission loads)";
}

std::string valueNames(AnswerWatch::ValueSet values) {
    std::string names;
    for (const FlightValue& value : kFlightValues) {
        if ((values & valueBit(value)) != 0) {
            names += (names.empty() ? "" : ", ") + std::string(value.name);
        }
    }
    return names;
}

std::string missingValuesLine(AnswerWatch::ValueSet missing) {
    return "No answer for " + valueNames(missing) + " " + whyMissing(missing);
}
