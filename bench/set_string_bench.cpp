// One pass of refreshMFDThread over 27 lines into the virtual display, with
// its record off, against the same 27 calls made straight into the library
// with texts already wide: what the MFD adds is keeping a copy of each text
// and converting it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_setup.h"
#include "bench/twenty_seven_lines.h"
#include "device/direct_output.h"
#include "device/mfd.h"
#include "device/wide_text.h"
#include "display/il2display.h"
#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/library.h"
#include "platform/utf8.h"

namespace {

MFD* mfd = nullptr;
DirectOutputSetStringFn directSetString = nullptr;

// The texts of the 27 lines after one refresh of a record in flight.
std::vector<std::string> lineTexts() {
    IL2Display display(twentySevenTokens());
    display.refresh(flyingRecord());
    std::vector<std::string> texts;
    for (int32_t page = 0; page < display.numPages; ++page) {
        for (int32_t row = 0; row < display.numLignes; ++row) {
            texts.emplace_back(display.lineText(page, row));
        }
    }
    return texts;
}

void setStringPass_27Lines(benchmark::State& state) {
    const std::vector<std::string> texts = lineTexts();
    for (auto _ : state) {
        for (size_t k = 0; k < texts.size(); ++k) {
            mfd->setString(static_cast<int32_t>(k / 3), static_cast<int32_t>(k % 3),
                           texts[k].c_str());
        }
    }
    if (MFD::lastResult < 0) {
        state.SkipWithError("the virtual display refused a text");
    }
}

void librarySetString_27Lines(benchmark::State& state) {
    std::vector<std::wstring> wide;
    for (const std::string& text : lineTexts()) {
        wide.push_back(toWide(text.c_str()));
    }
    void* device = MFD::deviceHandle.load();
    int32_t result = 0;
    for (auto _ : state) {
        for (size_t k = 0; k < wide.size(); ++k) {
            result |=
                directSetString(device, static_cast<uint32_t>(k / 3), static_cast<uint32_t>(k % 3),
                                static_cast<uint32_t>(wide[k].size()), wide[k].c_str());
        }
    }
    if (result < 0) {
        state.SkipWithError("the virtual display refused a text");
    }
}

}  // namespace

void prepareDisplayBenchmarks() {
    platform::setEnvironmentVariable("FLIGHTMFD_DISPLAY_LIBRARY", VIRTUALMFD_PATH);
    platform::setEnvironmentVariable("VIRTUALMFD_VIEW", "0");
    platform::clearEnvironmentVariable("VIRTUALMFD_RECORD");
    platform::clearEnvironmentVariable("VIRTUALMFD_REPLUG_SECONDS");

    // Like the program's, this MFD lives until the process ends.
    mfd = new MFD();
    // One pass first, so that the timed passes find every page made.
    for (size_t k = 0; k < kConfiguredLineCount; ++k) {
        mfd->setString(static_cast<int32_t>(k / 3), static_cast<int32_t>(k % 3), "");
    }
    std::string path = VIRTUALMFD_PATH;
    // Loading it again only finds the copy that the MFD has loaded.
    platform::LibraryHandle library = platform::loadLibrary(
        platform::fromUtf8(path.data(), path.size(), platform::codePageChar).c_str());
    directSetString = reinterpret_cast<DirectOutputSetStringFn>(
        platform::findSymbol(library, entryPointName(DirectOutputEntry::SetString)));
}

BENCHMARK(setStringPass_27Lines);
BENCHMARK(librarySetString_27Lines);
