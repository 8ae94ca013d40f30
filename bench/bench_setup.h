#pragma once

#include <string>

// Makes the MFD that the display benchmarks write to: the registry stand-in
// in `scratchFolder` names the virtual display, whose record and live view
// are off. Call once, before the benchmarks run.
void prepareDisplayBenchmarks(const std::string& scratchFolder);
