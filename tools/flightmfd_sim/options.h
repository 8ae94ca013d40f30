#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A time from `start` seconds after the first query, for `seconds`.
struct Spell {
    double start;
    double seconds;
};

// What the stand-in was asked to do on its command line.
struct SimulatorOptions {
    uint16_t port = 20010;  // the port of the sample configuration
    // In fixed mode only the codes in fixedValues are answered, always with
    // the same text; otherwise the looping flight answers every query.
    bool fixedMode = false;
    std::map<int, std::string> fixedValues;
    double durationSeconds = 0.0;  // 0: until SIGINT or SIGTERM
    // Queries are received but none is answered, as by a paused or hung
    // simulator.
    std::vector<Spell> silentSpells;
    // No instrument reading is answered, as in the simulator's online play;
    // the name and the controls are.
    std::vector<Spell> onlineSpells;
};

enum class ParseResult { kRun, kHelp, kError };

// Reads the command line (argv[0] is the program). On kError, *error says
// what was wrong.
ParseResult parseOptions(int argc, const char* const* argv, SimulatorOptions* options,
                         std::string* error);

// Adds the entries of a values file: one "CODE TEXT" per line, the code two
// digits and the text everything after the one space or tab that follows it.
// Empty lines and lines that begin with '#' are skipped.
bool readValuesFile(const std::string& path, SimulatorOptions* options, std::string* error);

// The --help text: the options, and the codes that flightmfd asks for with
// the names of their values.
std::string usageText();
