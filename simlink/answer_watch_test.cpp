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
// not watched; "q900" a query goes out and valuesChanged must report nothing,
// "q900=S" it must report the speed missing ("q900=SF" both, "q900=" none).
struct ValueStory {
    const char* name;
    const char* calls;
};

// Queries go out at least every second, as in a run, unless a story says otherwise.
const ValueStory kValueStories[] = {
    {"AValueThatStopsIsNamedOnceUntilItAnswers",
     "q0 F10 S10 q500 F600 q1009 q1010=S F1200 q1400 S1500 q1600= q1800"},
    // The whole simulator's silence has a line of its own; a value still
    // missing when it answers again is not named a second time.
    {"NoValueLineWhileTheSimulatorIsSilent",
     "q0 F10 q500 F900 q1000=S q1500 q1900 q2800 F3000 q3200 F3500 q3900 S3950 q4000="},
    // After the simulator's return, every value has a second of its own.
    {"TheSimulatorsReturnRestartsTheValuesClocks",
     "q0 q900 q1000 q1900 F2000 q2200 O2900 q2999 q3000=SF"},
    {"APauseOfTheProgramRestartsTheValuesClocks",
     "q0 F100 S100 q200 q2200 F2300 q3000 q3199 q3200=S"},
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
        const size_t equals = call.find('=');
        Clock::time_point at =
            start + std::chrono::milliseconds(std::stol(call.substr(1, equals - 1)));
        if (call[0] != 'q') {
            watch.answered(at, call[0] == 'S' ? kSpeed : call[0] == 'F' ? kFlaps : 5);
            continue;
        }
        watch.querying(at);
        const bool changed = watch.valuesChanged(at);
        EXPECT_EQ(changed, equals != std::string::npos) << call;
        if (changed && equals != std::string::npos) {
            EXPECT_EQ(watch.missingValues(), valuesNamed(call.substr(equals + 1))) << call;
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
