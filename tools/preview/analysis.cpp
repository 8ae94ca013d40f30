#include "tools/preview/analysis.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "config/xml_reader.h"
#include "tools/preview/host_checks.h"
#include "tools/preview/ignored_checks.h"
#include "tools/preview/line_checks.h"

namespace {

void checkSize(const ConfigSource& source, Findings* findings) {
    if (source.bytes.size() <= static_cast<size_t>(kConfigReadLimit)) {
        return;
    }
    TextPosition cut = positionOf(source.bytes, kConfigReadLimit);
    findings->push_back({cut.line, "the file is " + std::to_string(source.bytes.size()) +
                                       " bytes: the program reads only the first " +
                                       std::to_string(kConfigReadLimit) + ", up to column " +
                                       std::to_string(cut.column) +
                                       " of this line, and ignores the rest"});
}

// The file line of each <line> child of the root, and of the first <il2host>.
void collectLines(const XMLNode& root, Analysis* analysis) {
    for (const std::shared_ptr<XMLNode>& child : root.children) {
        const char* name = child->name.c_str();
        if (std::strcmp(name, "line") == 0) {
            analysis->tokenLines.push_back(child->line);
        } else if (std::strcmp(name, "il2host") == 0 && analysis->hostLine == 0) {
            analysis->hostLine = child->line;
        }
    }
}

}  // namespace

void sortFindings(Findings* findings) {
    std::stable_sort(findings->begin(), findings->end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
}

Analysis analyseSource(const ConfigSource& source) {
    Analysis analysis;
    const char* bytes = source.bytes.data();
    const int32_t length = source.programLength();
    const int32_t isFinal = source.programIsFinal();

    XMLNode root("", {});
    XmlParseError error;
    if (!tryParseXml(bytes, length, isFinal, &root, &error)) {
        analysis.state = Analysis::State::kMalformed;
        analysis.parseError = error.text;
        analysis.errorLine = error.line;
        analysis.errorColumn = error.column;
        analysis.parseNote =
            explainParseError(std::string(bytes, static_cast<size_t>(length)), error);
        return analysis;
    }

    char address[kAddressBufferSize] = {};
    char* addressPointer = address;
    analysis.tokens = readConfiguration(root, addressPointer, analysis.port, &analysis.report);
    analysis.address = address;
    collectLines(root, &analysis);

    checkSize(source, &analysis.findings);
    checkIgnored(root, &analysis.findings);
    checkHosts(root, analysis.report, &analysis.findings);
    for (size_t k = 0; k < analysis.tokens.size(); ++k) {
        checkLine(analysis.tokens[k], analysis.tokenLines[k], &analysis.findings);
    }
    if (analysis.tokens.empty()) {
        analysis.findings.push_back(
            {root.line, "no <line> elements: the display would stay empty"});
    }
    sortFindings(&analysis.findings);
    return analysis;
}
