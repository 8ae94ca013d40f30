#pragma once

#include <cstdint>
#include <string>

#include "config/configuration.h"

// What flightmfd-preview was asked to do on its command line.
struct PreviewOptions {
    std::string configPath = kConfigFileName;
    enum class Values {
        kSample,         // the preview's own sample values
        kSimFromConfig,  // ask the simulator at the configuration's own il2host
        kSimAtPort,      // ask the simulator at 127.0.0.1:simPort
    };
    Values values = Values::kSample;
    uint16_t simPort = 0;
};

enum class OptionsResult { kRun, kHelp, kError };

// Reads the command line (argv[0] is the program). On kError, *error says
// what was wrong.
OptionsResult parsePreviewOptions(int argc, const char* const* argv, PreviewOptions* options,
                                  std::string* error);

extern const char kPreviewUsage[];
