// Fuzz target: the configuration path, from the bytes of config.xml to the
// display lines. Each document is read twice, as the whole file and as the
// first part of a longer one. A malformed document must take the reported
// failure path, with a place in the file; a well-formed one must give element
// lines in document order, an address that fits its buffer, one page for
// every three lines, and line texts that fit theirs, whatever the flight
// values.
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "config/xml_reader.h"
#include "display/il2data.h"
#include "display/il2display.h"

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Records that reach every branch of the formats: the fresh record, the
// largest and smallest magnitudes, the non-numbers, and the longest name.
std::vector<IL2Data> probeRecords() {
    std::vector<IL2Data> records(4);
    const float extremes[] = {FLT_MAX, -FLT_MAX, INFINITY, NAN};
    for (size_t r = 1; r < records.size(); ++r) {
        float* field = &records[r].speedometer_indicated;
        const size_t count =
            static_cast<size_t>(&records[r].rudderTrim - &records[r].speedometer_indicated) + 1;
        for (size_t i = 0; i < count; ++i) {
            field[i] = extremes[(i + r) % 4];
        }
    }
    std::memset(records[3].plane, 'N', IL2Data::kPlaneCapacity - 1);
    records[3].plane[IL2Data::kPlaneCapacity - 1] = '\0';
    return records;
}

void checkLines(const IL2Display& display, size_t tokenCount) {
    check(display.numLignes == 3);
    check(static_cast<size_t>(display.numPages) == (tokenCount + 2) / 3);
    for (int32_t page = 0; page < display.numPages; ++page) {
        for (int32_t row = 0; row < display.numLignes; ++row) {
            const char* text = display.lineText(page, row);
            check(text != nullptr);
            check(std::memchr(text, '\0', IL2Display::kLineCapacity) != nullptr);
            if (static_cast<size_t>(page) * 3 + static_cast<size_t>(row) >= tokenCount) {
                check(std::strcmp(text, "***") == 0);  // rows after the last line keep it
            }
        }
    }
}

// Lines run in document order: an element starts no earlier than its parent or
// the sibling before it, and its text no earlier than the element.
void checkLineOrder(const XMLNode& element) {
    check(element.textLine == 0 || element.textLine >= element.line);
    int32_t previous = element.line;
    for (const std::shared_ptr<XMLNode>& child : element.children) {
        check(child->line >= previous);
        previous = child->line;
        checkLineOrder(*child);
    }
}

void readDocument(const char* document, size_t size, int32_t isFinal) {
    XMLNode root("", {});
    XmlParseError error;
    if (!tryParseXml(document, static_cast<int32_t>(size), isFinal, &root, &error)) {
        check(!error.text.empty() && error.line >= 1 &&
              error.column >= 1);  // expat's text and place
        return;
    }
    check(root.line >= (root.name.c_str()[0] != '\0' ? 1 : 0));
    checkLineOrder(root);
    // As big as the start-up's buffer and on the heap, so that a write past it is caught.
    auto address = std::make_unique<char[]>(kAddressBufferSize);
    char* il2IPAddress = address.get();
    uint16_t il2Port = 0;
    ConfigurationReport report;
    std::vector<TemplateToken> tmpl = readConfiguration(root, il2IPAddress, il2Port, &report);
    check(il2IPAddress == address.get());
    check(std::memchr(address.get(), '\0', kAddressBufferSize) != nullptr);

    IL2Display display(tmpl);
    checkLines(display, tmpl.size());
    static const std::vector<IL2Data> records = probeRecords();
    for (const IL2Data& record : records) {
        display.refresh(record);
        checkLines(display, tmpl.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > static_cast<size_t>(kConfigReadLimit)) {
        return -1;  // the start-up never reads more; keep it out of the corpus
    }
    const char* document = reinterpret_cast<const char*>(data);
    readDocument(document, size, 1);
    readDocument(document, size, 0);
    return 0;
}
