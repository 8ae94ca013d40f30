#pragma once

// Makes the MFD that the display benchmarks write to: FLIGHTMFD_DISPLAY_LIBRARY
// names the virtual display, whose record and live view are off. Call once,
// before the benchmarks run.
void prepareDisplayBenchmarks();
