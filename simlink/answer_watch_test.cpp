#include "simlink/answer_watch.h"

#include <gtest/gtest.h>

#include <ostream>
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
constexpr AnswerWatch::ValueSet kSpeedBit = 1u << kSpeed;

// A query goes out (`value` -1) and valuesChanged must report `missing`, or
// nothing when it is -1; or the answer to one value (`value`) arrives.
struct ValueEvent {
    long ms;
    int32_t value;
    long missing;
};

struct ValueStory {
    const char* name;
    std::vector<ValueEvent> events;
};

// Queries go out at least every second, as in a run, unless a story says otherwise.
const ValueStory kValueStories[] = {
    {"AValueThatStopsIsNamedOnceUntilItAnswers",
     {{0, -1, -1},
      {10, kFlaps, 0},
      {10, kSpeed, 0},
      {500, -1, -1},
      {600, kFlaps, 0},
      {1009, -1, -1},
      {1010, -1, kSpeedBit},
      {1200, kFlaps, 0},
      {1400, -1, -1},
      {1500, kSpeed, 0},
      {1600, -1, 0},
      {1800, -1, -1}}},
    {"AnAnswerOfAValueNotWatchedKeepsNoneAlive",
     {{0, -1, -1},
      {10, kFlaps, 0},
      {20, 5, 0},
      {500, -1, -1},
      {900, kFlaps, 0},
      {1000, -1, kSpeedBit}}},
    // The whole simulator's silence has a line of its own; a value still
    // missing when it answers again is not named a second time.
    {"NoValueLineWhileTheSimulatorIsSilent",
     {{0, -1, -1},
      {10, kFlaps, 0},
      {500, -1, -1},
      {900, kFlaps, 0},
      {1000, -1, kSpeedBit},
      {1500, -1, -1},
      {1900, -1, -1},
      {2800, -1, -1},
      {3000, kFlaps, 0},
      {3200, -1, -1},
      {3500, kFlaps, 0},
      {3900, -1, -1},
      {3950, kSpeed, 0},
      {4000, -1, 0}}},
    // After the simulator's return, every value has a second of its own.
    {"TheSimulatorsReturnRestartsTheValuesClocks",
     {{0, -1, -1},
      {900, -1, -1},
      {1000, -1, -1},
      {1900, -1, -1},
      {2000, kFlaps, 0},
      {2200, -1, -1},
      {2900, 5, 0},
      {2999, -1, -1},
      {3000, -1, kSpeedBit | (1u << kFlaps)}}},
    {"APauseOfTheProgramRestartsTheValuesClocks",
     {{0, -1, -1},
      {100, kFlaps, 0},
      {100, kSpeed, 0},
      {200, -1, -1},
      {2200, -1, -1},
      {2300, kFlaps, 0},
      {3000, -1, -1},
      {3199, -1, -1},
      {3200, -1, kSpeedBit}}},
};

void PrintTo(const ValueStory& story, std::ostream* out) {
    *out << story.name;
}

class AnswerWatchValueStory : public ::testing::TestWithParam<ValueStory> {};

TEST_P(AnswerWatchValueStory, ReportsEachChangeOfTheMissingValuesOnce) {
    const Clock::time_point start = Clock::now();
    AnswerWatch watch;
    watch.watchValues((1u << kSpeed) | (1u << kFlaps));
    for (const ValueEvent& e : GetParam().events) {
        Clock::time_point at = start + std::chrono::milliseconds(e.ms);
        if (e.value >= 0) {
            watch.answered(at, e.value);
            continue;
        }
        watch.querying(at);
        const bool changed = watch.valuesChanged(at);
        EXPECT_EQ(changed, e.missing >= 0) << "query at " << e.ms << " ms";
        if (changed) {
            EXPECT_EQ(watch.missingValues(), static_cast<AnswerWatch::ValueSet>(e.missing))
                << "query at " << e.ms << " ms";
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
