// flightmfd-measure: runs the built program against the simulator stand-in
// (or a peer of its own) and the virtual display, and reports how fresh the
// displayed values are, what the program costs in CPU time beside the
// reference program that keeps the same schedule, its memory, how it takes a
// flood of answers, and how it holds over a soak. Exit status 1 when the
// program failed (ended, stopped showing values, wrote errors); the times
// and sizes are reported against their goals but never fail the run.
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "bench/measure/runs.h"

namespace {

const char kUsage[] =
    "usage: flightmfd-measure [PART]... [OPTION]...\n"
    "PART: freshness, cpu, flood, soak, or performance (freshness, cpu and flood);\n"
    "      performance when none is given.\n"
    "  --seconds N         each freshness and CPU measurement (default 60)\n"
    "  --flood-rate N      answers a second in the flood (default 100000)\n"
    "  --flood-seconds N   length of the flood (default 30)\n"
    "  --soak-seconds N    length of the soak (default 600)\n"
    "  --restart-every N   seconds between restarts of the stand-in (default 30)\n"
    "  --replug-every N    seconds between unplugging the display (default 20)\n";

struct Options {
    std::set<std::string> parts;
    double seconds = 60.0;
    int floodRate = 100000;
    double floodSeconds = 30.0;
    double soakSeconds = 600.0;
    double restartEvery = 30.0;
    int replugEvery = 20;
};

bool parseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "freshness" || word == "cpu" || word == "flood" || word == "soak") {
            options->parts.insert(word);
        } else if (word == "performance") {
            options->parts.insert({"freshness", "cpu", "flood"});
        } else if (word.rfind("--", 0) == 0 && i + 1 < argc) {
            double value = std::atof(argv[++i]);
            if (!(value > 0.0)) {
                return false;
            }
            if (word == "--seconds") {
                options->seconds = value;
            } else if (word == "--flood-rate") {
                options->floodRate = static_cast<int>(value);
            } else if (word == "--flood-seconds") {
                options->floodSeconds = value;
            } else if (word == "--soak-seconds") {
                options->soakSeconds = value;
            } else if (word == "--restart-every") {
                options->restartEvery = value;
            } else if (word == "--replug-every") {
                options->replugEvery = static_cast<int>(value);
            } else {
                return false;
            }
        } else {
            return false;
        }
    }
    if (options->parts.empty()) {
        options->parts = {"freshness", "cpu", "flood"};
    }
    return options->replugEvery >= 1;
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

void printMachine() {
    std::string model = "unknown";
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    }
    utsname system{};
    uname(&system);
    std::printf("machine: %s, %ld cores, Linux %s\n", model.c_str(), sysconf(_SC_NPROCESSORS_ONLN),
                system.release);
}

bool reportFreshness(const char* what, const measure::FreshnessResult& r, bool judged) {
    const measure::Percentiles& p = r.latencyMs;
    std::printf("\nfreshness, %s: %zu values shown of %zu sent\n", what, p.count, r.valuesSent);
    std::printf("  p50 %.1f ms, p90 %.1f ms, p99 %.1f ms, max %.1f ms\n", p.p50, p.p90, p.p99,
                p.max);
    if (judged) {
        std::printf("  goals: p50 <= 140 ms %s, p99 <= 270 ms %s\n", verdict(p.p50 <= 140.0),
                    verdict(p.p99 <= 270.0));
    }
    return r.programRan && p.count > 0;
}

bool reportCpu(const char* what, const measure::CpuResult& r, double goal) {
    double ratio = r.programCpuMsPerSecond / r.referenceCpuMsPerSecond;
    std::printf("\nCPU, %s, over %.0f s:\n", what, r.seconds);
    std::printf("  flightmfd  %.3f ms/s (%.3f %% of a core), %.0f wake-ups/s\n",
                r.programCpuMsPerSecond, r.programCpuMsPerSecond / 10.0, r.programWakeUpsPerSecond);
    std::printf("  reference  %.3f ms/s (%.3f %% of a core), %.0f wake-ups/s\n",
                r.referenceCpuMsPerSecond, r.referenceCpuMsPerSecond / 10.0,
                r.referenceWakeUpsPerSecond);
    std::printf("  ratio %.2f (goal <= %.1f: %s)\n", ratio, goal, verdict(ratio <= goal));
    std::printf("  memory: peak %lld KiB, at the end %lld KiB (goal <= 8192: %s)\n",
                static_cast<long long>(r.peakKiB), static_cast<long long>(r.finalKiB),
                verdict(r.peakKiB <= 8192 && r.finalKiB <= 8192));
    return r.programRan;
}

bool reportFlood(const measure::FloodResult& r) {
    std::printf("\nflood: %lld answers in %.1f s (%.0f a second)\n", static_cast<long long>(r.sent),
                r.seconds, static_cast<double>(r.sent) / r.seconds);
    std::printf("  dropped by the kernel at the program's socket: %lld; parsed: %lld\n",
                static_cast<long long>(r.kernelDrops),
                static_cast<long long>(r.sent - r.kernelDrops));
    if (r.lastShown) {
        std::printf("  last number shown %.0f ms after it was sent\n", r.drainedMs);
    } else {
        std::printf("  the last number never showed\n");
    }
    std::printf(
        "  memory: before %lld KiB, peak %lld KiB, after %lld KiB (goal: within 1024 "
        "KiB of before: %s)\n",
        static_cast<long long>(r.beforeKiB), static_cast<long long>(r.peakKiB),
        static_cast<long long>(r.afterKiB), verdict(r.afterKiB - r.beforeKiB <= 1024));
    return r.programRan && r.lastShown;
}

bool reportSoak(const measure::SoakResult& r, const Options& options) {
    std::printf("\nsoak: %d starts of the stand-in, display unplugged %d times and back %d times\n",
                r.restarts, r.removals, r.arrivals);
    bool flowed = !r.flowDelaysMs.empty();
    std::printf("  values showing after each start (ms):");
    for (double delay : r.flowDelaysMs) {
        std::printf(delay < 0 ? " never" : " %.0f", delay);
        flowed = flowed && delay >= 0;
    }
    std::printf("\n  \"setString failed\" while the display was away: %lld\n",
                static_cast<long long>(r.failedWrites));
    // The last arrival may meet the end of the soak; every other one must
    // have brought the whole display back.
    std::vector<double> whole;
    int notWhole = 0;
    for (size_t i = 0; i < r.wholeAfterMs.size(); ++i) {
        if (r.wholeAfterMs[i] >= 0) {
            whole.push_back(r.wholeAfterMs[i]);
        } else if (i + 1 < r.wholeAfterMs.size()) {
            ++notWhole;
        }
    }
    const measure::Percentiles back = measure::percentilesOf(whole);
    std::printf(
        "  display whole again after %zu of %zu arrivals: p50 %.1f ms, worst %.1f ms; "
        "each re-plug whole again: %s\n",
        whole.size(), r.wholeAfterMs.size(), back.p50, back.max,
        verdict(notWhole == 0 && !whole.empty()));
    // Memory from the first minute on (a third of a shorter soak), when every
    // buffer the program keeps has been made.
    const double from = std::min(60.0, options.soakSeconds / 3.0);
    int64_t first = 0;
    int64_t last = 0;
    int64_t peak = 0;
    for (const auto& [second, kib] : r.residentKiB) {
        if (first == 0 && second >= from) {
            first = kib;
        }
        last = kib;
        peak = std::max(peak, kib);
    }
    std::printf(
        "  memory: %lld KiB at %.0f s, %lld KiB at the end, peak %lld KiB (growth: %lld "
        "KiB)\n",
        static_cast<long long>(first), from, static_cast<long long>(last),
        static_cast<long long>(peak), static_cast<long long>(last - first));
    const bool replugged = r.removals > 0 && r.arrivals > 0 && notWhole == 0 && !whole.empty();
    if (!r.programRan) {
        std::printf("  the program ENDED\n");
    }
    if (!r.errors.empty()) {
        std::printf("  the program wrote errors:\n%s", r.errors.c_str());
    }
    return r.programRan && flowed && replugged && r.errors.empty();
}

extern "C" void onSignal(int) {
    measure::requestStop();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    const measure::Programs programs{FLIGHTMFD_PATH, FLIGHTMFD_SIM_PATH, VIRTUALMFD_PATH,
                                     SCHEDULE_REFERENCE_PATH};
    printMachine();
    std::fflush(stdout);

    bool sound = true;
    // Each report goes out as soon as its part has been measured.
    auto report = [&sound](bool held) {
        sound = held && sound;
        std::fflush(stdout);
    };
    using measure::ValueTiming;
    if (options.parts.count("freshness") != 0) {
        report(reportFreshness(
            "values sent at random moments",
            measure::measureFreshness(programs, ValueTiming::kRandomMoments, options.seconds),
            true));
        report(reportFreshness(
            "answers to the program's queries (one run's phase)",
            measure::measureFreshness(programs, ValueTiming::kAnswersToQueries, options.seconds),
            false));
    }
    if (options.parts.count("cpu") != 0) {
        report(reportCpu("simulator answering every query, 27 lines",
                         measure::measureCpu(programs, true, options.seconds), 1.5));
        report(reportCpu("no simulator answering, 27 lines",
                         measure::measureCpu(programs, false, options.seconds), 1.2));
    }
    if (options.parts.count("flood") != 0) {
        report(
            reportFlood(measure::measureFlood(programs, options.floodRate, options.floodSeconds)));
    }
    if (options.parts.count("soak") != 0) {
        report(reportSoak(
            measure::soak(programs, options.soakSeconds, options.restartEvery, options.replugEvery),
            options));
    }
    std::printf("\n%s\n", sound ? "the program held" : "the program FAILED");
    return sound ? 0 : 1;
}
