#include "tools/preview/preview.h"

#include <vector>

#include "display/flight_values.h"
#include "display/il2data.h"
#include "display/il2display.h"
#include "simlink/answer_watch.h"
#include "tools/preview/analysis.h"
#include "tools/preview/config_source.h"
#include "tools/preview/page_view.h"
#include "tools/preview/sample_values.h"
#include "tools/preview/sim_query.h"

namespace {

constexpr char kLoopback[] = "127.0.0.1";

// The record the pages are made from, and a sentence on where it came from.
struct Values {
    IL2Data data = sampleFlightData();
    std::string source = "sample values";  // fits "... characters with <source>"
    std::string line = "Values: samples (--sim takes them from a running flightmfd-sim)";
    std::vector<int32_t> unansweredLines;  // file lines of the <line>s whose value went unanswered
};

std::string counted(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string simulatorText(const Analysis& analysis) {
    return (analysis.address.empty() ? std::string("(no address)") : analysis.address) + ":" +
           (analysis.report.portFound ? std::to_string(analysis.port) : "(no port)");
}

// Names the values that went unanswered, with the reason that the program
// gives, and the lines that show them: there the program would go on showing
// the last values it had, as if they were current.
std::string unansweredText(AnswerWatch::ValueSet unanswered, const Analysis& analysis,
                           std::vector<int32_t>* lines) {
    AnswerWatch::ValueSet shown = 0;
    std::string lineList;
    for (size_t k = 0; k < analysis.tokens.size(); ++k) {
        const FlightValue* value = flightValueNamed(analysis.tokens[k].valueName);
        if (value != nullptr && isShown(*value) && (unanswered & valueBit(*value)) != 0) {
            shown |= valueBit(*value);
            lines->push_back(analysis.tokenLines[k]);
            lineList += (lineList.empty() ? "" : ", ") + std::to_string(analysis.tokenLines[k]);
        }
    }
    const std::string named = missingValuesLine(unanswered) + "\n";
    if (shown == 0) {
        return named + "No line shows them.";
    }
    return named + "Shown on " + (lines->size() == 1 ? "line " : "lines ") + lineList +
           " (marked ?): " + valueNames(shown) +
           "; the program would go on showing their last values there";
}

// Why nothing answered on 127.0.0.1:`port`, and what to do.
std::string silenceText(uint16_t port, bool portClosed, const std::string& where) {
    const std::string number = std::to_string(port);
    if (portClosed) {
        return "nothing listens on " + where +
               " (the port is closed).\nThe simulator is not running, or its conf.ini has no "
               "[DeviceLink] section with port=" +
               number + "; or start flightmfd-sim --port " + number + " to try without it.";
    }
    return "something listens on " + where + ", but nothing answered within " +
           std::to_string(kSimWaitMs / 1000) +
           " s.\nThe simulator may still be in its menus, or the IPS line of its conf.ini "
           "leaves out 127.0.0.1 (list it there, or leave the line out). With the simulator on "
           "another computer, check there that IPS lists this computer and that the firewall "
           "lets UDP port " +
           number + " in.";
}

// Asks the simulator once when the options want it; falls back to the sample
// values, saying why, when it cannot be asked or does not answer.
Values chooseValues(const PreviewOptions& options, const Analysis& analysis) {
    Values values;
    if (options.values == PreviewOptions::Values::kSample) {
        return values;
    }
    uint16_t port = options.simPort;
    if (options.values == PreviewOptions::Values::kSimFromConfig) {
        // The program takes 0.0.0.0 as this computer too.
        const bool thisComputer = analysis.address == kLoopback || analysis.address == "0.0.0.0";
        if (!thisComputer || !analysis.report.portFound) {
            values.line = "Values: samples; --sim asks only 127.0.0.1:PORT, and il2host gives " +
                          simulatorText(analysis);
            return values;
        }
        port = analysis.port;
    }
    const std::string where = std::string(kLoopback) + ":" + std::to_string(port);
    IL2Data asked;
    SimAnswers answers;
    std::string error;
    if (!askSimulator(port, kSimWaitMs, &asked, &answers, &error)) {
        values.line = "Values: samples; " + error;
    } else if (answers.answered == 0) {
        values.line = "Values: samples; " + silenceText(port, answers.portClosed, where);
    } else {
        values.data = asked;
        values.source = "the simulator's values";
        values.line = "Values: from " + where + " (" + std::to_string(answers.answered) + " of " +
                      std::to_string(answers.asked) + " queries answered)";
        if (answers.unanswered != 0) {
            values.line +=
                "\n" + unansweredText(answers.unanswered, analysis, &values.unansweredLines);
        }
    }
    return values;
}

std::string problemList(const std::string& path, const Findings& findings) {
    if (findings.empty()) {
        return "No problems: " + path + " is ready.\n";
    }
    size_t stopping = 0;
    for (const Finding& finding : findings) {
        stopping += finding.stops ? 1 : 0;
    }
    std::string out = counted(findings.size(), "problem", "problems");
    if (stopping > 0) {
        out += findings.size() == 1 ? ", which" : ", " + std::to_string(stopping) + " of which";
        out += stopping == 1 ? " stops" : " stop";
        out += " the program at start-up";
    }
    out += ":\n";
    for (const Finding& finding : findings) {
        out += path + ":" + std::to_string(finding.line) + ": " + finding.message + "\n";
    }
    return out;
}

}  // namespace

int runPreview(const PreviewOptions& options, std::string* out, std::string* err) {
    const std::string& path = options.configPath;
    ConfigSource source;
    std::string error;
    if (!readConfigSource(path, &source, &error)) {
        *err += "flightmfd-preview: " + error + "\n";
        return kExitUnreadable;
    }
    Analysis analysis = analyseSource(source);
    if (analysis.state == Analysis::State::kMalformed) {
        *err += path + ":" + std::to_string(analysis.errorLine) + ":" +
                std::to_string(analysis.errorColumn) + ": " + analysis.parseError +
                " (the program stops at start-up with \"" + kParseErrorHeading + "\")\n";
        const ParseNote& note = analysis.parseNote;
        if (note.line > 0) {
            *err += path + ":" + std::to_string(note.line) +
                    (note.column > 0 ? ":" + std::to_string(note.column) : "") + ": " +
                    note.message + "\n";
        }
        return kExitUnreadable;
    }

    Values values = chooseValues(options, analysis);
    IL2Display display(analysis.tokens);
    display.refresh(values.data);
    Findings findings = analysis.findings;
    checkOverflow(display, analysis.tokenLines, values.source, &findings);
    sortFindings(&findings);

    *out += path + ": " + counted(analysis.tokens.size(), "line", "lines") + " on " +
            counted(static_cast<size_t>(display.numPages), "page", "pages") + ", simulator at " +
            simulatorText(analysis) + "\n" + values.line + "\n\n";
    *out += renderPages(display, analysis.tokenLines, findings, values.unansweredLines) + "\n";
    *out += problemList(path, findings);
    return findings.empty() ? kExitSound : kExitProblems;
}
