#include "simlink/answer_watch.h"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>

namespace {

using Clock = AnswerWatch::Clock;

// The watched values are the speed (1) and the flaps (13) of kFlightValues.
constexpr int32_t kSpeed = 1;
constexpr int32_t kFlaps = 13;

// A story of calls on the watch, one word per call, the time in milliseconds
// from an arbitrary start after the letter: "S900" the speed answers, "F900"
// the flaps, "O900" a value not watched; "u900" the peer is reported
// unreachable; "q900" a query goes out. A '!' after the time: that call
// begins or ends a silence, which no other may. After a query, "=S": the
// values missing changed to the speed ("=SF" both, "=" none); no other query
// may change them. A story that names either watches both.
struct Story {
    const char* name;
    const char* calls;
};

// Queries go out at least every second, as in a run, unless a story says otherwise.
const Story kStories[] = {
    {"NeverAnsweredIsSilentOneSecondAfterTheFirstQuery", "q0 q800 q999 q1000! q1200 q60000"},
    {"TheFirstQueryStartsTheClockHoweverLateItComes", "q90000 q90900 q91000!"},
    {"AnswersAfterEachBatchKeepItAnswering", "q0 O5 q200 O205 q1200 q1204 q1205!"},
    {"TheFirstAnswerAfterSilenceEndsItAndRestartsTheClock",
     "q0 q1000! q1800 q2600 O3000! O3001 q3200 q4000 q4001!"},
    {"UnreachableIsSilentAtOnceButOnlyOnce", "q0 u1! u2 q5000 O5001! u5002!"},
    {"UnreachableBeforeAnyQuery", "u0! q1 O2!"},
    {"AnAnswerNewerThanTheQuerysClockCounts", "q0 O2000 q1500 q2999"},
    // The receiver may take its time before the sender's, and come second.
    {"AnAnswerOlderThanTheLastNewsChangesNothing", "q0 O900 O850 q1000 q1899 q1900!"},
    // Queries every half second: no pause, however old the last answer.
    {"SilentOnceTheLastAnswerIsASecondOldWhileQueriesFlow", "q0 q500 q1001!"},
    // The program itself was stopped for 2 s: the time without queries does
    // not count, and the clock starts again with the next query.
    {"APauseOfTheProgramIsNoSilence", "q0 O5 q200 q2200 q3000 q3199 q3200!"},
    {"APauseEndsNoSilence", "q0 q1000! q5000 O5001!"},
    {"AValueThatStopsIsNamedOnceUntilItAnswers",
     "q0 F10 S10 q500 F600 q1000 F1009 q1100 O1010 q1200=S F1200 q1400 S1500 q1600= q1800"},
    // The simulator answers a batch over a frame or more. When it stops, a
    // value answered early in its last batch stopped no earlier than the rest.
    {"TheSimulatorsStopNamesNoValue",
     "q0 S0 F5 q200 S200 F205 q400 S400 F405 q600 q800 q1000 q1200 q1400 q1600! q1800 F2000! "
     "S2001 q2200 q2400"},
    // The whole simulator's silence has a line of its own; a value still
    // missing when it answers again is not named a second time.
    {"AValueMissingBeforeASilenceIsNotNamedAgainAfterIt",
     "q0 F10 S10 q500 F900 q1000 F1010 q1200=S q1500 q1900 q2010! q2800 F3000! q3200 F3500 q3900 "
     "S3950 q4000="},
    // A value that crosses the line while the peer is unreachable is not
    // named, and has a second of its own once the simulator is back.
    {"NoValueLineWhileTheSimulatorIsSilent",
     "q0 S0 F10 q200 F210 q400 F410 q600 F610 q800 F810 q1000 F1010 u1100! q1200 F1300! q1400 "
     "F1500 q1600 F2299 q2300 F2300 q2500=S"},
    // After the simulator's return, every value has a second of its own.
    {"TheSimulatorsReturnRestartsTheValuesClocks",
     "q0 q900 q1000! q1900 F2000! q2200 O2999 q3000 O3000 q3200=SF"},
    {"APauseOfTheProgramRestartsTheValuesClocks",
     "q0 F100 S100 q200 q2200 F2300 q2400 q3000 F3199 q3200 F3200 q3400=S"},
};

void PrintTo(const Story& story, std::ostream* out) {
    *out << story.name;
}

AnswerWatch::ValueSet valuesNamed(const std::string& letters) {
    AnswerWatch::ValueSet values = 0;
    for (char letter : letters) {
        values |= letter == 'S' ? 1u << kSpeed : letter == 'F' ? 1u << kFlaps : 0;
    }
    return values;
}

class AnswerWatchStory : public ::testing::TestWithParam<Story> {};

TEST_P(AnswerWatchStory, ReportsEachChangeOnce) {
    const Clock::time_point start = Clock::now();
    AnswerWatch watch;
    const std::string calls = GetParam().calls;
    if (calls.find_first_of("SF=") != std::string::npos) {
        watch.watchValues(valuesNamed("SF"));
    }
    std::istringstream in(calls);
    for (std::string call; in >> call;) {
        size_t used = 0;
        const Clock::time_point at =
            start + std::chrono::milliseconds(std::stol(call.substr(1), &used));
        const std::string marks = call.substr(1 + used);
        const bool silenceChanges = marks.find('!') != std::string::npos;
        const size_t equals = marks.find('=');
        if (call[0] == 'u') {
            EXPECT_EQ(watch.unreachable(), silenceChanges) << call;
        } else if (call[0] != 'q') {
            const int32_t index = call[0] == 'S' ? kSpeed : call[0] == 'F' ? kFlaps : 5;
            EXPECT_EQ(watch.answered(at, index), silenceChanges) << call;
        } else {
            EXPECT_EQ(watch.querying(at), silenceChanges) << call;
            const bool changed = watch.valuesChanged();
            EXPECT_EQ(changed, equals != std::string::npos) << call;
            if (changed && equals != std::string::npos) {
                EXPECT_EQ(watch.missingValues(), valuesNamed(marks.substr(equals + 1))) << call;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Stories, AnswerWatchStory, ::testing::ValuesIn(kStories),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AnswerWatch, TheReasonNamesInstrumentReadingsOnlyWhenOnlyTheyAreMissing) {
    EXPECT_EQ(std::string(whyMissing(valueBit(kFlightValues[kSpeed]))),
              "(the simulator gives no instrument readings in online play or while a mission "
              "loads)");
    EXPECT_EQ(
        std::string(whyMissing(valueBit(kFlightValues[kSpeed]) | valueBit(kFlightValues[kFlaps]))),
        "(the simulator does not answer them)");
}

}  // namespace
