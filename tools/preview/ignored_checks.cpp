#include "tools/preview/ignored_checks.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tools/preview/wording.h"

namespace {

// How much of an ignored text a message quotes.
constexpr size_t kQuotedTextLimit = 24;

const std::vector<std::string> kChildNames = {"line", "il2host"};
const std::vector<std::string> kLineAttributes = {"prefix", "unit", "suffix"};
const std::vector<std::string> kHostAttributes = {"ipAddress", "port"};

std::string tag(const XMLNode& element) {
    return "<" + std::string(element.name.c_str()) + ">";
}

bool contains(const std::vector<std::string>& names, const char* name) {
    for (const std::string& candidate : names) {
        if (candidate == name) {
            return true;
        }
    }
    return false;
}

// "; did you mean X?" when `name` looks like a slip for one of `known`.
std::string hint(const std::string& name, const std::vector<std::string>& known,
                 const std::string& before, const std::string& after) {
    std::string likely = likelyName(name, known);
    return likely.empty() ? "" : "; did you mean " + before + likely + after + "?";
}

std::string shortText(const XMLNode& element) {
    std::string text = element.textOrEmpty();
    if (text.size() > kQuotedTextLimit) {
        return quoted(text.substr(0, kQuotedTextLimit)) + "...";
    }
    return quoted(text);
}

int countLines(const XMLNode& element) {
    int count = 0;
    for (const std::shared_ptr<XMLNode>& child : element.children) {
        count += (std::strcmp(child->name.c_str(), "line") == 0 ? 1 : 0) + countLines(*child);
    }
    return count;
}

void checkAttributes(const XMLNode& element, const std::vector<std::string>& known,
                     Findings* findings) {
    for (const XMLAttribute& attribute : element.attributes) {
        const char* name = attribute.name.c_str();
        if (contains(known, name)) {
            continue;
        }
        findings->push_back({element.line, "attribute " + quoted(name) + " of " + tag(element) +
                                               " is ignored" + hint(name, known, "\"", "\"")});
    }
}

void checkNested(const XMLNode& element, Findings* findings) {
    for (const std::shared_ptr<XMLNode>& child : element.children) {
        std::string message =
            tag(*child) + " inside " + tag(element) + " is ignored, with its text";
        if (std::strcmp(element.name.c_str(), "line") == 0) {
            message += ", which is not part of the value name";
        }
        findings->push_back({child->line, message});
    }
}

void checkUnknownChild(const XMLNode& child, Findings* findings) {
    std::string message = tag(child) + " is ignored, with everything inside it";
    const int lineCount = countLines(child);
    if (lineCount > 0) {
        message += " (" + std::to_string(lineCount) +
                   (lineCount == 1 ? " <line> that is" : " <line> elements that are") +
                   " not shown: lines belong directly inside the root element)";
    }
    message += hint(child.name.c_str(), kChildNames, "<", ">");
    findings->push_back({child.line, message});
}

void checkRoot(const XMLNode& root, Findings* findings) {
    const std::string name = root.name.c_str();
    if (name == "line" || name == "il2host") {
        // Its attributes and text are passed over with it; one finding says so.
        findings->push_back({root.line, "the root element " + tag(root) +
                                            " is not read as one: only the elements inside "
                                            "the root are"});
        return;
    }
    checkAttributes(root, {}, findings);
    if (root.textLength > 0) {
        findings->push_back(
            {root.textLine, "text " + shortText(root) + " outside any <line> is ignored"});
    }
}

}  // namespace

void checkIgnored(const XMLNode& root, Findings* findings) {
    checkRoot(root, findings);
    for (const std::shared_ptr<XMLNode>& element : root.children) {
        const XMLNode& child = *element;
        const char* name = child.name.c_str();
        if (std::strcmp(name, "line") == 0) {
            checkAttributes(child, kLineAttributes, findings);
            checkNested(child, findings);
        } else if (std::strcmp(name, "il2host") == 0) {
            checkAttributes(child, kHostAttributes, findings);
            checkNested(child, findings);
            if (child.textLength > 0) {
                findings->push_back({child.textLine, "text " + shortText(child) + " inside " +
                                                         tag(child) + " is ignored"});
            }
        } else {
            checkUnknownChild(child, findings);
        }
    }
}
