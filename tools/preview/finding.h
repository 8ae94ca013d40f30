#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One problem that the preview found, tied to the line of the file where it
// can be mended.
struct Finding {
    int32_t line;
    std::string message;
    bool stops = false;  // the program ends at start-up because of it
};

using Findings = std::vector<Finding>;
