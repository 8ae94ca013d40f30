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

}  // namespace
