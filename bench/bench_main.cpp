// flightmfd-bench: the hot paths, each beside a baseline measured in the same
// run, and the ratio of the two after Google Benchmark's own table. The
// ratios are what to compare between machines; the times alone are not.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/bench_setup.h"

namespace {

struct Ratio {
    const char* what;
    const char* measured;
    const char* baseline;
    double goal;  // 0: none set
};

const Ratio kRatios[] = {
    {"parseAnswer A/30 / strtod of the same text", "parseAnswer_A30", "strtod_sameText", 1.5},
    {"parseAnswer A/98 / strtod of the same text", "parseAnswer_A98", "strtod_sameText", 1.5},
    {"refresh of 27 lines / snprintf of the 27 texts", "refresh_27Lines", "snprintf_27Lines", 1.3},
    {"setString pass over 27 lines / the library's own 27 calls", "setStringPass_27Lines",
     "librarySetString_27Lines", 0.0},
};

// Google Benchmark's console table (in colour on a terminal), and the CPU
// time per iteration of every run, by benchmark, for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration) {
                times_[name].push_back(run.GetAdjustedCPUTime());
            } else if (run.aggregate_name == "median") {
                // Only the aggregates are reported with --benchmark_report_aggregates_only.
                medians_[name] = run.GetAdjustedCPUTime();
            }
        }
    }

    // The median of each benchmark's repetitions, divided by its baseline's.
    void printRatios() {
        std::printf("\nRatio to the baseline measured in this run (median CPU time):\n");
        for (const Ratio& ratio : kRatios) {
            double measured = median(ratio.measured);
            double baseline = median(ratio.baseline);
            if (measured <= 0.0 || baseline <= 0.0) {
                continue;  // filtered out, or failed
            }
            std::printf("  %-60s %6.2f", ratio.what, measured / baseline);
            if (ratio.goal > 0.0) {
                std::printf("   goal <= %.1f: %s", ratio.goal,
                            measured / baseline <= ratio.goal ? "met" : "MISSED");
            }
            std::printf("\n");
        }
    }

  private:
    double median(const std::string& name) {
        if (medians_.count(name) != 0) {
            return medians_[name];
        }
        std::vector<double>& times = times_[name];
        if (times.empty()) {
            return 0.0;
        }
        std::sort(times.begin(), times.end());
        size_t middle = times.size() / 2;
        return times.size() % 2 == 1 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
    }

    std::map<std::string, std::vector<double>> times_;
    std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    prepareDisplayBenchmarks();
    std::fflush(stdout);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
