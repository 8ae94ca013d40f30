#include "config/xml_reader.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

#include <expat.h>

#include "config/xml_parser_factory.h"
#include "platform/process.h"
#include "platform/utf8.h"

static_assert(std::is_same<XML_Char, char>::value,
              "the reader works on expat's 8-bit interface, not its wide one");

FixedText::FixedText(const char* text, size_t length) : buffer_(new char[kXmlTextBufferSize]()) {
    if (text == nullptr) {
        return;
    }
    size_t kept = strnlen(text, length < kXmlTextBufferSize - 1 ? length : kXmlTextBufferSize - 1);
    // Expat gives UTF-8; a longer text is cut between its characters.
    if (kept < length && text[kept] != '\0') {
        kept = platform::wholeUtf8Length(text, kept);
    }
    memcpy(buffer_.get(), text, kept);
}

FixedText::FixedText(const char* text)
    : FixedText(text, text != nullptr ? strnlen(text, kXmlTextBufferSize) : 0) {}

XMLAttribute::XMLAttribute(const char* name, const char* value) : name(name), value(value) {}

XMLNode::XMLNode(const char* name, std::vector<XMLAttribute> attributes)
    : attributes(std::move(attributes)), name(name) {}

XMLNode& XMLNode::operator=(XMLNode other) noexcept {
    // The old contents leave with `other`, so its destructor frees them without recursion.
    std::swap(attributes, other.attributes);
    std::swap(name, other.name);
    std::swap(children, other.children);
    std::swap(text, other.text);
    std::swap(textLength, other.textLength);
    std::swap(textCapacity, other.textCapacity);
    std::swap(line, other.line);
    std::swap(textLine, other.textLine);
    return *this;
}

XMLNode::~XMLNode() {
    // Freeing a deep tree by plain recursion takes one nested destructor call per
    // level and overflows the stack on documents nested a few hundred thousand deep.
    // Elements that no one else holds are taken apart here, one at a time.
    std::vector<std::shared_ptr<XMLNode>> pending = std::move(children);
    while (!pending.empty()) {
        std::shared_ptr<XMLNode> node = std::move(pending.back());
        pending.pop_back();
        if (node.use_count() == 1) {
            for (std::shared_ptr<XMLNode>& child : node->children) {
                pending.push_back(std::move(child));
            }
            node->children.clear();
        }
    }
}

void XMLNode::appendText(const char* characters, int32_t count) {
    if (count < 0) {
        return;
    }
    // The length and capacity are 32-bit: text that would pass that bound is cut there.
    int32_t room = std::numeric_limits<int32_t>::max() - 1 - textLength;
    if (count > room) {
        count = room;
    }
    if (textLength == 0) {
        textCapacity = count + 1;
        text.reset(new char[textCapacity]());
    } else if (textLength + count + 1 > textCapacity) {
        textCapacity = textLength + count + 1;
        std::shared_ptr<char[]> grown(new char[textCapacity]());
        memcpy(grown.get(), text.get(), textLength);
        text = std::move(grown);
    }
    memcpy(text.get() + textLength, characters, count);
    textLength += count;
    text[textLength] = '\0';
}

namespace {

// One parse in progress. `root` owns the tree as it grows; `open` holds the
// elements open at the parser's position, innermost last. Its pointers stay
// valid: the tree only grows, and every element lives in its own allocation.
struct Reading {
    XML_Parser parser;
    std::shared_ptr<XMLNode> root;
    std::vector<XMLNode*> open;
};

xml_parser_factory::CreateFunction createParser = XML_ParserCreate;

// Inside a handler, the line on which the event that called it begins.
int32_t currentLine(XML_Parser parser) {
    return static_cast<int32_t>(XML_GetCurrentLineNumber(parser));
}

void XMLCALL startElement(void* userData, const XML_Char* name, const XML_Char** attributeArray) {
    Reading* reading = static_cast<Reading*>(userData);
    std::vector<XMLAttribute> attributes;
    for (size_t i = 0; attributeArray[i] != nullptr; i += 2) {
        attributes.emplace_back(attributeArray[i], attributeArray[i + 1]);
    }
    auto element = std::make_shared<XMLNode>(name, std::move(attributes));
    element->line = currentLine(reading->parser);
    XMLNode* opened = element.get();
    if (reading->open.empty()) {
        reading->root = std::move(element);
    } else {
        reading->open.back()->children.push_back(std::move(element));
    }
    reading->open.push_back(opened);
}

// Expat makes sure that end tags match start tags, so the name is not checked.
void XMLCALL endElement(void* userData, const XML_Char* /*name*/) {
    Reading* reading = static_cast<Reading*>(userData);
    if (!reading->open.empty()) {
        reading->open.pop_back();
    }
}

// Expat hands over every line feed, and the replacement of every reference, as
// a piece of its own. Skipping the blanks, tabs and line feeds that start a piece
// therefore drops line breaks and indentation while keeping blanks at the end of
// a line; carriage returns are kept on purpose.
void XMLCALL characterData(void* userData, const XML_Char* piece, int length) {
    Reading* reading = static_cast<Reading*>(userData);
    int start = 0;
    while (start < length &&
           (piece[start] == ' ' || piece[start] == '\t' || piece[start] == '\n')) {
        ++start;
    }
    if (start == length || reading->open.empty()) {
        return;
    }
    XMLNode* element = reading->open.back();
    if (element->textLine == 0) {
        element->textLine = currentLine(reading->parser);
    }
    element->appendText(piece + start, length - start);
}

void describeMalformed(const Reading& reading, XmlParseError* error) {
    const XML_Error code = XML_GetErrorCode(reading.parser);
    const XML_LChar* text = XML_ErrorString(code);
    error->text = text != nullptr ? text : "";
    error->code = static_cast<int32_t>(code);
    error->line = currentLine(reading.parser);
    error->column = static_cast<int32_t>(XML_GetCurrentColumnNumber(reading.parser)) + 1;
    if (!reading.open.empty()) {
        error->openName = reading.open.back()->name.c_str();
        error->openLine = reading.open.back()->line;
    }
}

enum class ParseOutcome { kParsed, kNoParser, kMalformed };

// Runs one whole parse. The parser is released on every path, including failure.
ParseOutcome parseDocument(const char* document, int32_t length, int32_t isFinal, XMLNode* root,
                           XmlParseError* error) {
    Reading reading{createParser(nullptr), nullptr, {}};
    if (reading.parser == nullptr) {
        error->text = kNoParserMessage;
        return ParseOutcome::kNoParser;
    }
    XML_SetElementHandler(reading.parser, startElement, endElement);
    XML_SetCharacterDataHandler(reading.parser, characterData);
    XML_SetUserData(reading.parser, &reading);
    if (XML_Parse(reading.parser, document, length, isFinal) == XML_STATUS_ERROR) {
        describeMalformed(reading, error);
        XML_ParserFree(reading.parser);
        return ParseOutcome::kMalformed;
    }
    XML_ParserFree(reading.parser);
    // Only a partial document (isFinal 0) can end with no element opened, or with
    // elements still open; the root is what the callers expect in both cases.
    *root = reading.root != nullptr ? std::move(*reading.root) : XMLNode("", {});
    return ParseOutcome::kParsed;
}

}  // namespace

namespace xml_parser_factory {

void setCreateFunction(CreateFunction create) {
    createParser = create != nullptr ? create : XML_ParserCreate;
}

}  // namespace xml_parser_factory

XMLNode parseXml(const char* document, int32_t length, int32_t isFinal) {
    XMLNode root("", {});
    XmlParseError error;
    switch (parseDocument(document, length, isFinal, &root, &error)) {
        case ParseOutcome::kParsed:
            break;
        case ParseOutcome::kNoParser:
            fprintf(stderr, "%s\n", kNoParserMessage);
            platform::exitFailure();
        case ParseOutcome::kMalformed:
            fprintf(stderr, "%s\n%s\n", kParseErrorHeading, error.text.c_str());
            platform::exitFailure();
    }
    return root;
}

bool tryParseXml(const char* document, int32_t length, int32_t isFinal, XMLNode* root,
                 XmlParseError* error) {
    XMLNode parsed("", {});
    XmlParseError failure;
    if (parseDocument(document, length, isFinal, &parsed, &failure) != ParseOutcome::kParsed) {
        if (error != nullptr) {
            *error = std::move(failure);
        }
        return false;
    }
    if (root != nullptr) {
        *root = std::move(parsed);
    }
    return true;
}
