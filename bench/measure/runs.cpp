#include "bench/measure/runs.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <thread>

#include "bench/measure/usage.h"
#include "bench/twenty_seven_lines.h"
#include "display/flight_values.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tools/flightmfd_sim/answers.h"
#include "tools/flightmfd_sim/udp_endpoint.h"
#include "tools/virtualmfd/record_reader.h"

namespace measure {
namespace {

using Clock = std::chrono::steady_clock;
using testsupport::Process;
using virtualmfd::RecordedCall;
using virtualmfd::RecordReader;

std::atomic<bool> stopRequested{false};

// The steady clock in milliseconds, as the virtual display's record writes it.
double nowMs() {
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

void sleepMs(double milliseconds) {
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(milliseconds));
}

// Waits `seconds` in short steps; false when a stop was asked for first.
bool wait(double seconds) {
    double end = nowMs() + seconds * 1000.0;
    while (nowMs() < end) {
        if (stopRequested) {
            return false;
        }
        sleepMs(std::min(100.0, end - nowMs()));
    }
    return !stopRequested;
}

// A folder of one run: config.xml with the 27 lines, and whatever the run's
// programs write; FLIGHTMFD_DISPLAY_LIBRARY names the virtual display.
// Removed with everything in it when the run ends.
class Workspace {
  public:
    Workspace(const Programs& programs, const std::string& name) : folder_("flightmfd-" + name) {
        environment_["FLIGHTMFD_DISPLAY_LIBRARY"] = programs.virtualDisplay;
        environment_["FLIGHTMFD_DEBUG_OUTPUT"] = file("debug.txt");
        environment_["VIRTUALMFD_VIEW"] = "0";
    }

    const std::string& path() const { return folder_.path(); }
    std::string file(const std::string& name) const { return folder_.file(name); }
    std::map<std::string, std::string>& environment() { return environment_; }

    void configure(uint16_t port) {
        testsupport::writeFile(file("config.xml"), twentySevenLinesXml(port));
    }
    // The virtual display records every call, each line with its time.
    void recordCalls() {
        environment_["VIRTUALMFD_RECORD"] = file("record.txt");
        environment_["VIRTUALMFD_RECORD_TIME"] = "1";
    }

  private:
    testsupport::TempFolder folder_;
    std::map<std::string, std::string> environment_;
};

// The answer code of a value that a line shows.
int codeOfValue(const char* valueName) {
    return flightValueNamed(valueName)->code;
}

// The whole number that line `k` (one of those in their own unit) shows in
// `text`, which the tool's peer sent as that value's text.
std::optional<int64_t> numberShown(int k, const std::string& text) {
    const ConfiguredLine& line = kTwentySevenLines[k];
    const std::string head = std::string(line.prefix) + " ";
    if (text.compare(0, head.size(), head) != 0) {
        return std::nullopt;
    }
    const char* value = text.c_str() + head.size();
    char* end = nullptr;
    double number = std::strtod(value, &end);
    if (end == value || (*end != '\0' && *end != ' ') ||
        std::fabs(number - std::round(number)) > 0.01) {
        return std::nullopt;
    }
    return static_cast<int64_t>(std::llround(number));
}

// The program against the tool's own simulator, the peer, with every call of
// the display recorded; ended with the object.
struct PeerRun {
    PeerRun(const Programs& programs, const std::string& name)
        : workspace(programs, name), peer(0) {
        workspace.configure(peer.port());
        workspace.recordCalls();
        program = std::make_unique<Process>(programs.flightmfd, std::vector<std::string>{},
                                            workspace.path(), "flightmfd", workspace.environment());
    }

    Workspace workspace;
    UdpEndpoint peer;
    std::unique_ptr<Process> program;
};

struct SentValue {
    int code;
    double timeMs;
};

}  // namespace

void requestStop() {
    stopRequested = true;
}

Percentiles percentilesOf(std::vector<double> sample) {
    Percentiles result;
    result.count = sample.size();
    if (sample.empty()) {
        return result;
    }
    std::sort(sample.begin(), sample.end());
    auto rank = [&](double q) {
        size_t index = static_cast<size_t>(std::ceil(q * static_cast<double>(sample.size())));
        return sample[std::clamp<size_t>(index, 1, sample.size()) - 1];
    };
    result.p50 = rank(0.50);
    result.p90 = rank(0.90);
    result.p99 = rank(0.99);
    result.max = sample.back();
    return result;
}

FreshnessResult measureFreshness(const Programs& programs, ValueTiming timing, double seconds) {
    FreshnessResult result;
    PeerRun run(programs, "freshness");

    // Every value is a number of its own, so that each text on the display
    // tells which value it shows.
    std::map<int64_t, SentValue> sent;
    int64_t number = 0;
    auto sendValue = [&](int code) {
        ++number;
        double sentAt = nowMs();
        if (run.peer.reply(answerFor(code, std::to_string(number)))) {
            sent[number] = SentValue{code, sentAt};
        }
    };
    std::mt19937 random(std::random_device{}());
    // A new value for a line 300 to 500 ms after the previous one: longer
    // than the slowest way a value can take to the display.
    std::uniform_real_distribution<double> gapMs(300.0, 500.0);
    std::vector<double> nextValueAt(kOwnUnitLineCount, 0.0);

    const double end = nowMs() + seconds * 1000.0;
    while (nowMs() < end && !stopRequested) {
        std::optional<std::string> query =
            run.peer.receive(timing == ValueTiming::kRandomMoments ? 1 : 10);
        if (timing == ValueTiming::kAnswersToQueries) {
            int code = query ? queryCode(*query) : -1;
            if (code >= 0) {
                sendValue(code);
            }
            continue;
        }
        // The first query shows where the program listens; after it, values
        // go out on their own schedule and queries are left unanswered.
        for (int k = 0; k < kOwnUnitLineCount && run.peer.lastSender(); ++k) {
            if (nowMs() >= nextValueAt[k]) {
                sendValue(codeOfValue(kTwentySevenLines[k].valueName));
                nextValueAt[k] = nowMs() + gapMs(random);
            }
        }
    }
    // The last answers reach the display within two passes.
    wait(0.5);
    result.programRan = run.program->running();
    run.program->stop();
    result.valuesSent = sent.size();

    RecordReader record(run.workspace.file("record.txt"));
    std::set<int64_t> seen;
    std::vector<double> latencies;
    for (const RecordedCall& call : record.next()) {
        const auto k = static_cast<int>(call.page * 3 + call.line);
        if (call.name != "SetString" || call.timeMs < 0 || k < 0 || k >= kOwnUnitLineCount) {
            continue;
        }
        std::optional<int64_t> shown = numberShown(k, call.text);
        if (!shown || seen.count(*shown) != 0) {
            continue;
        }
        auto found = sent.find(*shown);
        if (found != sent.end() &&
            found->second.code == codeOfValue(kTwentySevenLines[k].valueName)) {
            seen.insert(*shown);
            latencies.push_back(call.timeMs - found->second.timeMs);
        }
    }
    result.latencyMs = percentilesOf(latencies);
    return result;
}

CpuResult measureCpu(const Programs& programs, bool busy, double seconds) {
    CpuResult result;
    Workspace workspace(programs, busy ? "cpu-busy" : "cpu-idle");
    const uint16_t programPort = UdpEndpoint(0).port();
    uint16_t referencePort = UdpEndpoint(0).port();
    while (referencePort == programPort) {
        referencePort = UdpEndpoint(0).port();
    }
    std::unique_ptr<Process> programSimulator;
    std::unique_ptr<Process> referenceSimulator;
    if (busy) {
        programSimulator = std::make_unique<Process>(
            programs.simulator, std::vector<std::string>{"--port", std::to_string(programPort)},
            workspace.path(), "simulator-program");
        referenceSimulator = std::make_unique<Process>(
            programs.simulator, std::vector<std::string>{"--port", std::to_string(referencePort)},
            workspace.path(), "simulator-reference");
    }
    workspace.configure(programPort);
    Process program(programs.flightmfd, {}, workspace.path(), "flightmfd", workspace.environment());
    Process reference(programs.reference, {std::to_string(referencePort)}, workspace.path(),
                      "reference");

    // Start-up (reading the configuration, loading the library) is not part
    // of the steady state.
    wait(3.0);
    const Usage programBefore = usageOf(program.pid());
    const Usage referenceBefore = usageOf(reference.pid());
    const double start = nowMs();
    wait(seconds);
    const Usage programAfter = usageOf(program.pid());
    const Usage referenceAfter = usageOf(reference.pid());
    const double elapsed = (nowMs() - start) / 1000.0;

    result.seconds = elapsed;
    result.programCpuMsPerSecond =
        static_cast<double>(programAfter.cpuNanoseconds - programBefore.cpuNanoseconds) / 1e6 /
        elapsed;
    result.referenceCpuMsPerSecond =
        static_cast<double>(referenceAfter.cpuNanoseconds - referenceBefore.cpuNanoseconds) / 1e6 /
        elapsed;
    result.programWakeUpsPerSecond =
        static_cast<double>(programAfter.wakeUps - programBefore.wakeUps) / elapsed;
    result.referenceWakeUpsPerSecond =
        static_cast<double>(referenceAfter.wakeUps - referenceBefore.wakeUps) / elapsed;
    result.peakKiB = peakResidentKiB(program.pid());
    result.finalKiB = residentKiB(program.pid());
    result.programRan = program.running() && reference.running();
    return result;
}

FloodResult measureFlood(const Programs& programs, int rate, double seconds) {
    FloodResult result;
    PeerRun run(programs, "flood");

    // A few seconds of ordinary answers first: the level that memory must
    // come back to is that of the program in flight.
    const double settled = nowMs() + 3000.0;
    while (nowMs() < settled && !stopRequested) {
        std::optional<std::string> query = run.peer.receive(10);
        const FlightValue* value = query ? flightValueOfCode(queryCode(*query)) : nullptr;
        if (value != nullptr) {
            run.peer.reply(answerFor(value->code, isText(*value) ? "Bf 109 G-2" : "1.5"));
        }
    }
    result.beforeKiB = residentKiB(run.program->pid());
    const int64_t dropsBefore = udpSocketOf(run.program->pid()).drops;

    // The flood: answers go out in small bursts, as many as the rate asks for
    // by now; the queries that keep coming are read and left unanswered.
    const double start = nowMs();
    const auto total = static_cast<int64_t>(static_cast<double>(rate) * seconds);
    // Line 1 shows the speed, which the flood carries.
    const int floodCode = codeOfValue(kTwentySevenLines[1].valueName);
    while (result.sent < total && !stopRequested) {
        const double elapsed = (nowMs() - start) / 1000.0;
        const auto due = std::min(total, static_cast<int64_t>(elapsed * rate));
        while (result.sent < due) {
            ++result.sent;
            run.peer.reply(answerFor(floodCode, std::to_string(result.sent)));
        }
        while (run.peer.receive(0)) {
        }
        sleepMs(0.1);
    }
    const double floodEnd = nowMs();
    result.seconds = (floodEnd - start) / 1000.0;

    // Every answer that the kernel delivered is in the queue before the last
    // one, and the main loop takes them in order: once the display shows the
    // last number, every delivered answer has been parsed. The kernel may
    // have dropped the last one at the full queue, so it goes out again now
    // and then until it shows.
    RecordReader record(run.workspace.file("record.txt"));
    const std::string last = answerFor(floodCode, std::to_string(result.sent));
    const double deadline = nowMs() + 60000.0;
    double resendAt = nowMs() + 200.0;
    while (!result.lastShown && nowMs() < deadline && !stopRequested) {
        if (nowMs() >= resendAt) {
            run.peer.reply(last);
            resendAt += 200.0;
        }
        for (const RecordedCall& call : record.next()) {
            if (call.name == "SetString" && call.page == 0 && call.line == 1 &&
                numberShown(1, call.text) == result.sent) {
                result.lastShown = true;
                result.drainedMs = call.timeMs - floodEnd;
                break;
            }
        }
        sleepMs(20);
    }
    // Memory is looked at once the queue has been empty for a while.
    wait(2.0);
    const UdpSocketCounters socket = udpSocketOf(run.program->pid());
    result.kernelDrops = socket.drops - dropsBefore;
    result.afterKiB = residentKiB(run.program->pid());
    result.peakKiB = peakResidentKiB(run.program->pid());
    result.programRan = run.program->running();
    return result;
}

// What the virtual display's device holds, followed call by call in the
// record, beside what the program last wrote to each line; tells how long
// after each arrival the device held the whole display again.
class DisplayWatch {
  public:
    explicit DisplayWatch(SoakResult* result) : result_(result) {}

    void see(const RecordedCall& call) {
        if (call.name == "DeviceChange" && call.text == "added") {
            device_ = call.device;
            held_.clear();
            arrivedAt_ = call.timeMs;
        } else if (call.name == "DeviceChange") {
            endWait();
            device_.clear();
        } else if (call.name == "SetString") {
            const std::pair<int64_t, int64_t> slot(call.page, call.line);
            latest_[slot] = call.text;
            if (call.device == device_ && call.result == "00000000") {
                held_[slot] = call.text;
            }
            if (arrivedAt_ >= 0 && held_ == latest_) {
                result_->wholeAfterMs.push_back(call.timeMs - arrivedAt_);
                arrivedAt_ = -1;
            }
        }
    }

    // An arrival still waiting counts as never whole.
    void endWait() {
        if (arrivedAt_ >= 0) {
            result_->wholeAfterMs.push_back(-1);
            arrivedAt_ = -1;
        }
    }

  private:
    SoakResult* result_;
    std::string device_;     // the present device's handle; empty while unplugged
    double arrivedAt_ = -1;  // the time of an arrival not yet whole
    std::map<std::pair<int64_t, int64_t>, std::string> latest_;  // what the program last wrote
    std::map<std::pair<int64_t, int64_t>, std::string> held_;    // what the present device holds
};

SoakResult soak(const Programs& programs, double seconds, double restartEvery, int replugEvery) {
    SoakResult result;
    Workspace workspace(programs, "soak");
    const uint16_t port = UdpEndpoint(0).port();
    workspace.configure(port);
    workspace.recordCalls();
    workspace.environment()["VIRTUALMFD_RECORD_RESULT"] = "1";
    workspace.environment()["VIRTUALMFD_REPLUG_SECONDS"] = std::to_string(replugEvery);
    DisplayWatch display(&result);
    Process program(programs.flightmfd, {}, workspace.path(), "flightmfd", workspace.environment());
    RecordReader record(workspace.file("record.txt"));

    std::unique_ptr<Process> simulator;
    std::string awaited;  // the name that the running stand-in's values put on line 0
    double startedAt = 0.0;
    const double start = nowMs();
    double nextRestart = start;
    double nextSample = start;
    while (nowMs() - start < seconds * 1000.0 && !stopRequested && program.running()) {
        if (nowMs() >= nextRestart) {
            if (simulator) {
                simulator->stop();
                wait(1.0);  // the program meets a closed port for a while
            }
            // Each start answers with values of its own, so that the display
            // shows whether this stand-in's values came through.
            ++result.restarts;
            std::vector<std::string> arguments = {"--port", std::to_string(port)};
            awaited = "SOAK" + std::to_string(result.restarts);
            const int nameCode = kFlightValues[0].code;
            arguments.insert(arguments.end(),
                             {"--value", std::to_string(nameCode) + "=" + awaited});
            for (const FlightValue& value : kFlightValues) {
                if (!isText(value)) {
                    const std::string number = std::to_string(result.restarts * 100 + value.code);
                    arguments.insert(arguments.end(),
                                     {"--value", std::to_string(value.code) + "=" + number});
                }
            }
            simulator = std::make_unique<Process>(programs.simulator, arguments, workspace.path(),
                                                  "simulator");
            startedAt = nowMs();
            result.flowDelaysMs.push_back(-1.0);
            nextRestart += restartEvery * 1000.0;
        }
        for (const RecordedCall& call : record.next()) {
            if (call.name == "SetString" && call.page == 0 && call.line == 0 && !awaited.empty() &&
                call.text == " " + awaited) {
                result.flowDelaysMs.back() = call.timeMs - startedAt;
                awaited.clear();
            } else if (call.name == "DeviceChange") {
                (call.text == "removed" ? result.removals : result.arrivals) += 1;
            }
            display.see(call);
        }
        if (nowMs() >= nextSample) {
            result.residentKiB.emplace_back((nowMs() - start) / 1000.0, residentKiB(program.pid()));
            nextSample += 1000.0;
        }
        sleepMs(50);
    }
    result.programRan = program.running();
    program.stop();
    if (simulator) {
        simulator->stop();
    }
    for (const RecordedCall& call : record.next()) {
        display.see(call);
    }
    display.endWait();
    result.errors = program.errors();
    const std::string output = program.output();
    for (size_t at = 0; (at = output.find("setString failed", at)) != std::string::npos; ++at) {
        ++result.failedWrites;
    }
    return result;
}

}  // namespace measure
