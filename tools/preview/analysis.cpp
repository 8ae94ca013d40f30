#include "tools/preview/analysis.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "config/xml_reader.h"
#include "tools/preview/element_lines.h"
#include "tools/preview/host_checks.h"
#include "tools/preview/ignored_checks.h"
#include "tools/preview/line_checks.h"

namespace {

void checkSize(const ConfigSource& source, Findings* findings) {
    if (source.bytes.size() <= static_cast<size_t>(kProgramReadLimit)) {
        return;
    }
    TextPosition cut = positionOf(source.bytes, kProgramReadLimit);
    findings->push_back({cut.line, "the file is " + std::to_string(source.bytes.size()) +
                                       " bytes: the program reads only the first " +
                                       std::to_string(kProgramReadLimit) + ", up to column " +
                                       std::to_string(cut.column) +
                                       " of this line, and ignores the rest"});
}

// Pairs each <line> child of the root with its line in the file; the two
// trees have their children in the same order.
void collectLines(const XMLNode& root, const ElementLines& lines, Analysis* analysis) {
    for (size_t i = 0; i < root.children.size(); ++i) {
        const char* name = root.children[i]->name.c_str();
        const int32_t line = i < lines.children.size() ? lines.children[i].line : 0;
        if (std::strcmp(name, "line") == 0) {
            analysis->tokenLines.push_back(line);
        } else if (std::strcmp(name, "il2host") == 0 && analysis->hostLine == 0) {
            analysis->hostLine = line;
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
    SourceMap map = mapElementLines(bytes, length, isFinal);
    if (!tryParseXml(bytes, length, isFinal, &root, &analysis.parseError)) {
        analysis.state = Analysis::State::kMalformed;
        analysis.errorLine = map.errorLine;
        analysis.errorColumn = map.errorColumn;
        analysis.parseNote =
            explainParseError(std::string(bytes, static_cast<size_t>(length)), map);
        return analysis;
    }

    char address[kAddressBufferSize] = {};
    char* addressPointer = address;
    analysis.tokens = readConfiguration(root, addressPointer, analysis.port, &analysis.report);
    analysis.address = address;
    collectLines(root, map.root, &analysis);

    checkSize(source, &analysis.findings);
    checkIgnored(root, map.root, &analysis.findings);
    checkHosts(root, map.root, analysis.report, &analysis.findings);
    for (size_t k = 0; k < analysis.tokens.size(); ++k) {
        checkLine(analysis.tokens[k], analysis.tokenLines[k], &analysis.findings);
    }
    if (analysis.tokens.empty()) {
        analysis.findings.push_back(
            {map.root.line, "no <line> elements: the display would stay empty"});
    }
    sortFindings(&analysis.findings);
    return analysis;
}
