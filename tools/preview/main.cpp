// flightmfd-preview: shows a configuration's pages as the display will show
// them and lists its problems, before a flight and without the joystick.
#include <cstdio>
#include <string>

#include "tools/preview/options.h"
#include "tools/preview/preview.h"

int main(int argc, char** argv) {
    PreviewOptions options;
    std::string error;
    switch (parsePreviewOptions(argc, argv, &options, &error)) {
        case OptionsResult::kHelp:
            std::fputs(kPreviewUsage, stdout);
            return kExitSound;
        case OptionsResult::kError:
            std::fprintf(stderr, "flightmfd-preview: %s\n%s", error.c_str(), kPreviewUsage);
            return kExitUnreadable;
        case OptionsResult::kRun:
            break;
    }
    std::string out;
    std::string err;
    int status = runPreview(options, &out, &err);
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
    std::fputs(err.c_str(), stderr);
    return status;
}
