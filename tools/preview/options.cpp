#include "tools/preview/options.h"

#include <cstring>

const char kPreviewUsage[] =
    "usage: flightmfd-preview [--sim [127.0.0.1:PORT]] [CONFIG]\n"
    "\n"
    "Shows every page of CONFIG (config.xml in this folder when none is given)\n"
    "as the joystick's display will show it, and lists each problem with its\n"
    "line in the file.\n"
    "\n"
    "  --sim                  take the values from a running flightmfd-sim (or\n"
    "                         simulator) at CONFIG's il2host, asked once\n"
    "  --sim 127.0.0.1:PORT   ask the one at this port instead\n"
    "  -h, --help             show this text\n"
    "\n"
    "Only 127.0.0.1 is ever asked. Without --sim, sample values are shown.\n"
    "Exit status: 0 the configuration is sound, 1 it has problems, 2 it cannot\n"
    "be read or parsed, or the command line is wrong.\n";

namespace {

constexpr char kLoopback[] = "127.0.0.1";

bool allDigits(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// HOST:PORT with digits after the last colon: what --sim may take as its value.
bool looksLikeHostPort(const std::string& text) {
    size_t colon = text.rfind(':');
    return colon != std::string::npos && allDigits(text.substr(colon + 1));
}

bool parseSimAddress(const std::string& text, uint16_t* port, std::string* error) {
    size_t colon = text.rfind(':');
    std::string portText = colon == std::string::npos ? "" : text.substr(colon + 1);
    if (!allDigits(portText) || portText.size() > 5 || std::stoi(portText) < 1 ||
        std::stoi(portText) > 65535) {
        *error = "--sim wants 127.0.0.1:PORT with a port from 1 to 65535, not \"" + text + "\"";
        return false;
    }
    if (text.substr(0, colon) != kLoopback) {
        *error = "--sim asks only 127.0.0.1, this machine, not \"" + text + "\"";
        return false;
    }
    *port = static_cast<uint16_t>(std::stoi(portText));
    return true;
}

}  // namespace

OptionsResult parsePreviewOptions(int argc, const char* const* argv, PreviewOptions* options,
                                  std::string* error) {
    bool pathGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            return OptionsResult::kHelp;
        }
        if (argument == "--sim" || argument.compare(0, 6, "--sim=") == 0) {
            std::string address;
            if (argument.size() > 6) {
                address = argument.substr(6);
            } else if (i + 1 < argc && looksLikeHostPort(argv[i + 1])) {
                address = argv[++i];
            }
            options->values = PreviewOptions::Values::kSimFromConfig;
            if (!address.empty()) {
                if (!parseSimAddress(address, &options->simPort, error)) {
                    return OptionsResult::kError;
                }
                options->values = PreviewOptions::Values::kSimAtPort;
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            *error = "unknown option " + argument;
            return OptionsResult::kError;
        } else if (pathGiven) {
            *error =
                "one configuration file at a time, not " + options->configPath + " and " + argument;
            return OptionsResult::kError;
        } else {
            options->configPath = argument;
            pathGiven = true;
        }
    }
    return OptionsResult::kRun;
}
