// parseAnswer against the conversion at its heart: strtod of the same value
// text. What parseAnswer adds is finding the code and copying the text out of
// the unterminated datagram.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "display/il2data.h"

namespace {

// A speed as the simulator writes it.
const char kValueText[] = "312.5";

void parseAnswerOf(benchmark::State& state, const char* answer) {
    IL2Data il2d;
    const int32_t length = static_cast<int32_t>(std::strlen(answer));
    for (auto _ : state) {
        benchmark::DoNotOptimize(answer);
        il2d.parseAnswer(answer, length);
        benchmark::ClobberMemory();
    }
}

// Code 30 is the second code tested; code 98 the last of the 21.
void parseAnswer_A30(benchmark::State& state) {
    parseAnswerOf(state, "A/30\\312.5");
}

void parseAnswer_A98(benchmark::State& state) {
    parseAnswerOf(state, "A/98\\312.5");
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
