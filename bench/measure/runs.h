#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace measure {

// The programs that the runs start, as this build made them.
struct Programs {
    std::string flightmfd;
    std::string simulator;
    std::string virtualDisplay;
    std::string reference;
};

// Nearest-rank percentiles of a sample.
struct Percentiles {
    size_t count = 0;
    double p50 = 0.0;
    double p90 = 0.0;
    double p99 = 0.0;
    double max = 0.0;
};
Percentiles percentilesOf(std::vector<double> sample);

// Time from the tool's peer sending a value to the virtual display being
// handed a text that shows it, over the twelve lines that show each value in
// the unit it arrives in.
//
// The program's threads keep their phases to one another from start-up on,
// and a simulator answers each query at once, so answers to queries meet the
// display's passes at nearly the same point all through one run: they give
// that run's figure, one point of the whole range. Values sent at moments of
// the peer's own choosing, at random, meet the passes at every point, which
// is the range that the design's waits allow. Each line gets a new value only
// after the previous one has had time to show, so that no value is lost to a
// later one; a lost value would have been one of the slow ones.
enum class ValueTiming { kAnswersToQueries, kRandomMoments };
struct FreshnessResult {
    Percentiles latencyMs;
    size_t valuesSent = 0;
    bool programRan = false;
};
FreshnessResult measureFreshness(const Programs& programs, ValueTiming timing, double seconds);

// CPU time per second of run of the program and of the schedule reference,
// side by side, each against a simulator stand-in of its own (busy) or
// against a port where nothing listens (idle); and the program's memory.
struct CpuResult {
    double seconds = 0.0;
    double programCpuMsPerSecond = 0.0;
    double referenceCpuMsPerSecond = 0.0;
    double programWakeUpsPerSecond = 0.0;
    double referenceWakeUpsPerSecond = 0.0;
    int64_t peakKiB = 0;
    int64_t finalKiB = 0;
    bool programRan = false;
};
CpuResult measureCpu(const Programs& programs, bool busy, double seconds);

// A flood of answers to the speed query carrying the numbers 1 to `sent`, at `rate` a
// second, after a few seconds of ordinary answers; then the wait until the
// display shows the last number.
struct FloodResult {
    int64_t sent = 0;
    double seconds = 0.0;
    int64_t kernelDrops = 0;  // at the program's socket, its receive queue being full
    bool lastShown = false;
    // From the end of the flood to the display showing the last number (sent
    // again every 200 ms meanwhile, in case the kernel dropped it).
    double drainedMs = 0.0;
    int64_t beforeKiB = 0;
    int64_t peakKiB = 0;
    int64_t afterKiB = 0;
    bool programRan = false;
};
FloodResult measureFlood(const Programs& programs, int rate, double seconds);

// The program left running with the simulator stand-in restarted every
// `restartEvery` seconds, each time with values of its own, and the virtual
// display unplugged and plugged in again every `replugEvery` seconds. After
// each arrival the display counts as whole again once the arrived device
// holds, on every line the program writes, the text the program last wrote
// there: the display model's text.
struct SoakResult {
    int restarts = 0;
    std::vector<double> flowDelaysMs;  // per start of the stand-in; -1: its values never showed
    int removals = 0;
    int arrivals = 0;
    // Per arrival, from the arrival to the whole display; -1: the device left
    // again, or the soak ended, before it was whole.
    std::vector<double> wholeAfterMs;
    int64_t failedWrites = 0;  // "setString failed" lines, while the display was away
    std::vector<std::pair<double, int64_t>> residentKiB;  // (seconds into the run, KiB)
    bool programRan = false;
    std::string errors;  // the program's standard error
};
SoakResult soak(const Programs& programs, double seconds, double restartEvery, int replugEvery);

// Set from a signal handler: every run ends early and cleans up.
void requestStop();

}  // namespace measure
