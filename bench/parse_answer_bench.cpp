// parseAnswer against the conversion at its heart: strtod of the same value
// text. What parseAnswer adds is finding the code and copying the text out of
// the unterminated datagram.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "display/flight_values.h"
#include "display/il2data.h"

namespace {

// A speed as the simulator writes it.
const char kValueText[] = "312.5";

// The answer to the value at `index` of the table, which is the order in which codes are tested.
void parseAnswerOf(benchmark::State& state, int index) {
    const std::string datagram = std::string(kFlightValues[index].answer) + "\\" + kValueText;
    const char* answer = datagram.c_str();
    const auto length = static_cast<int32_t>(datagram.size());
    IL2Data il2d;
    for (auto _ : state) {
        benchmark::DoNotOptimize(answer);
        il2d.parseAnswer(answer, length);
        benchmark::ClobberMemory();
    }
}

// Code 30 is the second code tested; code 98 the last of the 21.
void parseAnswer_A30(benchmark::State& state) {
    parseAnswerOf(state, 1);
}

void parseAnswer_A98(benchmark::State& state) {
    parseAnswerOf(state, kFlightValueCount - 1);
}

void strtod_sameText(benchmark::State& state) {
    const char* text = kValueText;
    for (auto _ : state) {
        benchmark::DoNotOptimize(text);
        double value = std::strtod(text, nullptr);
        benchmark::DoNotOptimize(value);
    }
}

}  // namespace

BENCHMARK(parseAnswer_A30);
BENCHMARK(parseAnswer_A98);
BENCHMARK(strtod_sameText);
