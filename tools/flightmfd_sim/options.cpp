#include "tools/flightmfd_sim/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "display/flight_values.h"
#include "tools/flightmfd_sim/answers.h"

namespace {

constexpr double kWholeRun = 1e12;  // seconds: longer than any run

const char kOptionsText[] =
    "usage: flightmfd-sim [--port N] [--duration SECONDS]\n"
    "                     [--value CODE=TEXT]... [--values FILE]\n"
    "                     [--silent START:SECONDS]... [--online [START:SECONDS]]...\n"
    "Answers the flight simulator's queries on 127.0.0.1 (port 20010 unless given;\n"
    "0 takes a free one). Without --value or --values it flies a short loop; with\n"
    "them it answers only the codes given, always with the given text. A values\n"
    "file holds lines 'CODE TEXT'. --silent makes it receive queries but answer\n"
    "none, as a paused simulator does, from START seconds after the first query\n"
    "for SECONDS. --online leaves the instrument readings (codes 30 to 50)\n"
    "unanswered, as the simulator does in online play and while a mission loads,\n"
    "for the whole run or from START for SECONDS. Ends on Ctrl-C, or after\n"
    "--duration seconds.\n"
    "\n"
    "It stands in for the simulator's query interface, which the simulator opens\n"
    "only when its conf.ini (in its installation folder, beside its program) has\n"
    "a [DeviceLink] section with a line port=N; config.xml's il2host gives the\n"
    "same port. A line IPS=... there lists the addresses it answers (any, when\n"
    "left out): on two computers, the program's.\n"
    "\n"
    "CODE is one of the codes that flightmfd asks for, and TEXT the value that it\n"
    "answers: the aircraft's name for 22, else a number in the simulator's units\n"
    "(km/h, m, m/s, degrees), such as --value 30=250.0. TEXT is sent as given,\n"
    "with a backslash before each / and \\, as the simulator does; the simulator\n"
    "itself sends only the bytes ! to ~ (no spaces, plain ASCII). The codes and\n"
    "the values they give:\n";

// The codes in columns, top to bottom and then left to right.
std::string codeTable() {
    constexpr int kColumns = 3;
    constexpr int kRows = (kFlightValueCount + kColumns - 1) / kColumns;
    constexpr size_t kColumnWidth = 26;
    std::string table;
    for (int row = 0; row < kRows; ++row) {
        std::string line = " ";
        for (int column = 0; column < kColumns; ++column) {
            const int index = column * kRows + row;
            if (index >= kFlightValueCount) {
                break;
            }
            line.resize(1 + static_cast<size_t>(column) * kColumnWidth, ' ');
            const FlightValue& value = kFlightValues[index];
            line += " " + std::to_string(value.code) + " " + value.name;
        }
        table += line + "\n";
    }
    return table;
}

bool readPort(const char* text, uint16_t* port) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 0 || value > 65535) {
        return false;
    }
    *port = static_cast<uint16_t>(value);
    return true;
}

bool readDuration(const char* text, double* seconds) {
    char* end = nullptr;
    double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value > 0.0)) {
        return false;
    }
    *seconds = value;
    return true;
}

// START:SECONDS, START 0 or more, SECONDS more than 0.
bool readSpell(const char* text, Spell* spell) {
    char* end = nullptr;
    double start = std::strtod(text, &end);
    if (end == text || *end != ':' || !(start >= 0.0)) {
        return false;
    }
    if (!readDuration(end + 1, &spell->seconds)) {
        return false;
    }
    spell->start = start;
    return true;
}

// Takes CODE and TEXT apart at `separator`.
bool addValue(const std::string& entry, size_t separator, SimulatorOptions* options) {
    int code = codeOf(entry.substr(0, separator));
    if (code < 0) {
        return false;
    }
    options->fixedMode = true;
    options->fixedValues[code] =
        separator < entry.size() ? entry.substr(separator + 1) : std::string();
    return true;
}

}  // namespace

ParseResult parseOptions(int argc, const char* const* argv, SimulatorOptions* options,
                         std::string* error) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            return ParseResult::kHelp;
        }
        // Without a spell after it, online play lasts the whole run.
        if (name == "--online" && (i + 1 >= argc || argv[i + 1][0] == '-')) {
            options->onlineSpells.push_back(Spell{0.0, kWholeRun});
            continue;
        }
        if (i + 1 >= argc) {
            *error = "unknown option or missing value: " + name;
            return ParseResult::kError;
        }
        const char* value = argv[++i];
        bool understood = false;
        if (name == "--port") {
            understood = readPort(value, &options->port);
        } else if (name == "--duration") {
            understood = readDuration(value, &options->durationSeconds);
        } else if (name == "--value") {
            std::string entry = value;
            size_t equals = entry.find('=');
            understood = equals != std::string::npos && addValue(entry, equals, options);
        } else if (name == "--silent" || name == "--online") {
            Spell spell{};
            understood = readSpell(value, &spell);
            if (understood) {
                (name == "--silent" ? options->silentSpells : options->onlineSpells)
                    .push_back(spell);
            }
        } else if (name == "--values") {
            if (!readValuesFile(value, options, error)) {
                return ParseResult::kError;
            }
            understood = true;
        }
        if (!understood) {
            *error = "cannot use " + name + " " + value;
            return ParseResult::kError;
        }
    }
    return ParseResult::kRun;
}

bool readValuesFile(const std::string& path, SimulatorOptions* options, std::string* error) {
    std::ifstream file(path);
    if (!file) {
        *error = "cannot read " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        size_t separator = line.find_first_of(" \t");
        if (!addValue(line, separator == std::string::npos ? line.size() : separator, options)) {
            *error = path;
            *error += ":" + std::to_string(number) + ": not 'CODE TEXT': " + line;
            return false;
        }
    }
    // An empty file still means fixed mode: nothing is answered.
    options->fixedMode = true;
    return true;
}

std::string usageText() {
    return kOptionsText + codeTable();
}
