#pragma once

#include <string>

#include "tools/preview/options.h"

// flightmfd-preview's exit statuses.
constexpr int kExitSound = 0;       // nothing to mend
constexpr int kExitProblems = 1;    // the file has problems, each listed
constexpr int kExitUnreadable = 2;  // the file cannot be read or parsed, or bad options

// How long the preview waits for a simulator's answers.
constexpr int kSimWaitMs = 1000;

// Checks the configuration that `options` names and shows its pages: the
// report for standard output goes to *out, errors for standard error to *err.
// Returns the exit status.
int runPreview(const PreviewOptions& options, std::string* out, std::string* err);
