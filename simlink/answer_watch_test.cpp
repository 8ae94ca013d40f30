#include "simlink/answer_watch.h"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = AnswerWatch::Clock;

// One call on the watch, at a time in milliseconds from an arbitrary start,
// and whether it must report a change.
struct Event {
    char kind;  // 'q' query goes out, 'a' answer, 'u' unreachable reported
    long ms;
    bool changes;
};

struct Story {
    const char* name;
    std::vector<Event> events;
};

const Story kStories[] = {
    {"NeverAnsweredIsSilentOneSecondAfterTheFirstQuery",
     {{'q', 0, false},
      {'q', 800, false},
      {'q', 999, false},
      {'q', 1000, true},
      {'q', 1200, false},
      {'q', 60000, false}}},
    {"TheFirstQueryStartsTheClockHoweverLateItComes",
     {{'q', 90000, false}, {'q', 90900, false}, {'q', 91000, true}}},
    {"AnswersAfterEachBatchKeepItAnswering",
     {{'q', 0, false},
      {'a', 5, false},
      {'q', 200, false},
      {'a', 205, false},
      {'q', 1200, false},
      {'q', 1204, false},
      {'q', 1205, true}}},
    {"TheFirstAnswerAfterSilenceEndsItAndRestartsTheClock",
     {{'q', 0, false},
      {'q', 1000, true},
      {'q', 1800, false},
      {'q', 2600, false},
      {'a', 3000, true},
      {'a', 3001, false},
      {'q', 3200, false},
      {'q', 4000, false},
      {'q', 4001, true}}},
    {"UnreachableIsSilentAtOnceButOnlyOnce",
     {{'q', 0, false},
      {'u', 1, true},
      {'u', 2, false},
      {'q', 5000, false},
      {'a', 5001, true},
      {'u', 5002, true}}},
    {"UnreachableBeforeAnyQuery", {{'u', 0, true}, {'q', 1, false}, {'a', 2, true}}},
    {"AnAnswerNewerThanTheQuerysClockCounts",
     {{'q', 0, false}, {'a', 2000, false}, {'q', 1500, false}, {'q', 2999, false}}},
    // The receiver may take its time before the sender's, and come second.
    {"AnAnswerOlderThanTheLastNewsChangesNothing",
     {{'q', 0, false},
      {'a', 900, false},
      {'a', 850, false},
      {'q', 1000, false},
      {'q', 1899, false},
      {'q', 1900, true}}},
    // Queries every half second: no pause, however old the last answer.
    {"SilentOnceTheLastAnswerIsASecondOldWhileQueriesFlow",
     {{'q', 0, false}, {'q', 500, false}, {'q', 1001, true}}},
    // The program itself was stopped for 2 s: the time without queries does
    // not count, and the clock starts again with the next query.
    {"APauseOfTheProgramIsNoSilence",
     {{'q', 0, false},
      {'a', 5, false},
      {'q', 200, false},
      {'q', 2200, false},
      {'q', 3000, false},
      {'q', 3199, false},
      {'q', 3200, true}}},
    {"APauseEndsNoSilence",
     {{'q', 0, false}, {'q', 1000, true}, {'q', 5000, false}, {'a', 5001, true}}},
};

void PrintTo(const Story& story, std::ostream* out) {
    *out << story.name;
}

class AnswerWatchStory : public ::testing::TestWithParam<Story> {};

TEST_P(AnswerWatchStory, ReportsEachChangeOnce) {
    const Clock::time_point start = Clock::now();
    AnswerWatch watch;
    for (const Event& e : GetParam().events) {
        Clock::time_point at = start + std::chrono::milliseconds(e.ms);
        bool changed = e.kind == 'q'   ? watch.querying(at)
                       : e.kind == 'a' ? watch.answered(at)
                                       : watch.unreachable();
        EXPECT_EQ(changed, e.changes) << e.kind << " at " << e.ms << " ms";
    }
}

INSTANTIATE_TEST_SUITE_P(Stories, AnswerWatchStory, ::testing::ValuesIn(kStories),
                         [](const auto& info) { return std::string(info.param.name); });

// The watched values are the speed (1) and the flaps (13) of kFlightValues.
constexpr int32_t kSpeed = 1;
constexpr int32_t kFlaps = 13;

// A story of the values' answers, one word per call, the time in milliseconds
// after the letter: "S900" the speed answers, "F900" the flaps, "O900" a value
// not watched; "u900" the peer is reported unreachable; "q900" a query goes
// out and valuesChanged must report nothing, "q900=S" it must report the
// speed missing ("q900=SF" both, "q900=" none). A '!' after the time: that
// call begins a silence, which no other may.
struct ValueStory {
    const char* name;
    const char* calls;
};

// Queries go out at least every second, as in a run, unless a story says otherwise.
const ValueStory kValueStories[] = {
    {"AValueThatStopsIsNamedOnceUntilItAnswers",
     "q0 F10 S10 q500 F600 q1000 F1009 q1100 O1010 q1200=S F1200 q1400 S1500 q1600= q1800"},
    // The simulator answers a batch over a frame or more. When it stops, a
    // value answered early in its last batch stopped no earlier than the rest.
    {"TheSimulatorsStopNamesNoValue",
     "q0 S0 F5 q200 S200 F205 q400 S400 F405 q600 q800 q1000 q1200 q1400 q1600! q1800 F2000 "
     "S2001 q2200 q2400"},
    // The whole simulator's silence has a line of its own; a value still
    // missing when it answers again is not named a second time.
    {"AValueMissingBeforeASilenceIsNotNamedAgainAfterIt",
     "q0 F10 S10 q500 F900 q1000 F1010 q1200=S q1500 q1900 q2010! q2800 F3000 q3200 F3500 q3900 "
     "S3950 q4000="},
    // A value that crosses the line while the peer is unreachable is not
    // named, and has a second of its own once the simulator is back.
    {"NoValueLineWhileTheSimulatorIsSilent",
     "q0 S0 F10 q200 F210 q400 F410 q600 F610 q800 F810 q1000 F1010 u1100! q1200 F1300 q1400 F1500 "
     "q1600 F2299 q2300 F2300 q2500=S"},
    // After the simulator's return, every value has a second of its own.
    {"TheSimulatorsReturnRestartsTheValuesClocks",
     "q0 q900 q1000! q1900 F2000 q2200 O2999 q3000 O3000 q3200=SF"},
    {"APauseOfTheProgramRestartsTheValuesClocks",
     "q0 F100 S100 q200 q2200 F2300 q2400 q3000 F3199 q3200 F3200 q3400=S"},
};

void PrintTo(const ValueStory& story, std::ostream* out) {
    *out << story.name;
}

AnswerWatch::ValueSet valuesNamed(const std::string& letters) {
    AnswerWatch::ValueSet values = 0;
    for (char letter : letters) {
        values |= 1u << (letter == 'S' ? kSpeed : kFlaps);
    }
    return values;
}

class AnswerWatchValueStory : public ::testing::TestWithParam<ValueStory> {};

TEST_P(AnswerWatchValueStory, ReportsEachChangeOfTheMissingValuesOnce) {
    const Clock::time_point start = Clock::now();
    AnswerWatch watch;
    watch.watchValues(valuesNamed("SF"));
    std::istringstream calls(GetParam().calls);
    for (std::string call; calls >> call;) {
        size_t used = 0;
        const Clock::time_point at =
            start + std::chrono::milliseconds(std::stol(call.substr(1), &used));
        const std::string marks = call.substr(1 + used);
        const bool silences = marks.find('!') != std::string::npos;
        const size_t equals = marks.find('=');
        switch (call[0]) {
            case 'q':
                EXPECT_EQ(watch.querying(at), silences) << call;
                break;
            case 'u':
                EXPECT_EQ(watch.unreachable(), silences) << call;
                continue;
            default:
                watch.answered(at, call[0] == 'S' ? kSpeed : call[0] == 'F' ? kFlaps : 5);
                continue;
        }
        const bool changed = watch.valuesChanged();
        EXPECT_EQ(changed, equals != std::string::npos) << call;
        if (changed && equals != std::string::npos) {
            EXPECT_EQ(watch.missingValues(), valuesNamed(marks.substr(equals + 1))) << call;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Stories, AnswerWatchValueStory, ::testing::ValuesIn(kValueStories),
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
