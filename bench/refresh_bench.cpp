// refresh of the 27 configured lines against snprintf of the same 27 texts
// with the values already converted: what refresh adds is choosing each
// line's value and unit and clearing what a shorter text leaves behind.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/twenty_seven_lines.h"
#include "display/flight_values.h"
#include "display/il2data.h"
#include "display/il2display.h"
#include "display/units.h"

namespace {

// One line as a bare snprintf makes it: the format, the texts and the
// value in the unit shown.
struct PlainLine {
    const char* format;
    const char* prefix;
    const char* text;  // the name, for a name line
    double value;
    const char* suffix;
};

std::vector<PlainLine> plainLines(const IL2Display& display, const IL2Data& data) {
    std::vector<PlainLine> lines;
    for (const TemplateToken& token : display.tokens()) {
        PlainLine line{nullptr, token.prefix, nullptr, 0.0, token.suffix};
        const FlightValue& value = *flightValueNamed(token.valueName);
        const bool oneDecimal = value.decimals == 1;
        if (isText(value)) {
            line.format = "%s %s";
            line.text = data.plane;
        } else {
            line.value =
                static_cast<double>(convertUnit(data.*value.field, value.unit, token.unitCode));
            if (token.suffix[0] != '\0') {
                line.format = oneDecimal ? "%s %.1f %s" : "%s %.2f %s";
            } else {
                line.format = oneDecimal ? "%s %.1f" : "%s %.2f";
            }
        }
        lines.push_back(line);
    }
    return lines;
}

void refresh_27Lines(benchmark::State& state) {
    IL2Display display(twentySevenTokens());
    const IL2Data data = flyingRecord();
    for (auto _ : state) {
        display.refresh(data);
        benchmark::ClobberMemory();
    }
}

void snprintf_27Lines(benchmark::State& state) {
    IL2Display display(twentySevenTokens());
    const IL2Data data = flyingRecord();
    const std::vector<PlainLine> lines = plainLines(display, data);
    std::vector<std::array<char, IL2Display::kLineCapacity>> texts(lines.size());
    // The baseline must make exactly the texts that refresh makes.
    display.refresh(data);
    for (size_t k = 0; k < lines.size(); ++k) {
        const PlainLine& line = lines[k];
        if (line.text != nullptr) {
            std::snprintf(texts[k].data(), texts[k].size(), line.format, line.prefix, line.text);
        } else {
            std::snprintf(texts[k].data(), texts[k].size(), line.format, line.prefix, line.value,
                          line.suffix);
        }
        if (std::strcmp(texts[k].data(), display.lineText(static_cast<int32_t>(k / 3),
                                                          static_cast<int32_t>(k % 3))) != 0) {
            state.SkipWithError("the baseline's texts differ from refresh's");
            return;
        }
    }
    for (auto _ : state) {
        for (size_t k = 0; k < lines.size(); ++k) {
            const PlainLine& line = lines[k];
            if (line.text != nullptr) {
                std::snprintf(texts[k].data(), texts[k].size(), line.format, line.prefix,
                              line.text);
            } else {
                std::snprintf(texts[k].data(), texts[k].size(), line.format, line.prefix,
                              line.value, line.suffix);
            }
        }
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(refresh_27Lines);
BENCHMARK(snprintf_27Lines);
