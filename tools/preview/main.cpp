// flightmfd-preview: shows a configuration's pages as the display will show
// them and lists its problems, before a flight and without the joystick.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/text_io.h"
#include "tools/preview/library_check.h"
#include "tools/preview/options.h"
#include "tools/preview/preview.h"

namespace {

int run(int argc, char** argv) {
    const std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
    std::vector<const char*> pointers;
    pointers.reserve(arguments.size());
    for (const std::string& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    PreviewOptions options;
    std::string error;
    switch (
        parsePreviewOptions(static_cast<int>(pointers.size()), pointers.data(), &options, &error)) {
        case OptionsResult::kHelp:
            platform::writeText(stdout, kPreviewUsage);
            return kExitSound;
        case OptionsResult::kError:
            platform::writeText(stderr, "flightmfd-preview: " + error + "\n" + kPreviewUsage);
            return kExitUnreadable;
        case OptionsResult::kRun:
            break;
    }
    std::string out;
    std::string err;
    const int status = runPreview(options, &out, &err);
    platform::writeText(stdout, out);
    platform::writeText(stderr, err);
    platform::writeText(stdout, "\n" + checkDisplayLibrary());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const int status = run(argc, argv);
    // Started from Explorer, the window would close before the report could
    // be read.
    platform::keepWindowUntilKey();
    return status;
}
