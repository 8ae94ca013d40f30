#include "config/xml_reader.h"

#include <cstdio>
#include <cstring>
#include <deque>
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

// The elements open at the parser's position: the innermost at the front, the
// root at the back. The root is never taken off, so it stays reachable after the
// document has been closed.
using ElementStack = std::deque<std::shared_ptr<XMLNode>>;

xml_parser_factory::CreateFunction createParser = XML_ParserCreate;

void XMLCALL startElement(void* userData, const XML_Char* name, const XML_Char** attributeArray) {
    ElementStack* stack = static_cast<ElementStack*>(userData);
    std::vector<XMLAttribute> attributes;
    for (size_t i = 0; attributeArray[i] != nullptr; i += 2) {
        attributes.emplace_back(attributeArray[i], attributeArray[i + 1]);
    }
    auto element = std::make_shared<XMLNode>(name, std::move(attributes));
    if (!stack->empty()) {
        stack->front()->children.push_back(element);
    }
    stack->push_front(std::move(element));
}

// Expat makes sure that end tags match start tags, so the name is not checked.
void XMLCALL endElement(void* userData, const XML_Char* /*name*/) {
    ElementStack* stack = static_cast<ElementStack*>(userData);
    if (stack->size() > 1) {
        stack->pop_front();
    }
}

// Expat hands over every line feed, and the replacement of every reference, as
// a piece of its own. Skipping the blanks, tabs and line feeds that start a piece
// therefore drops line breaks and indentation while keeping blanks at the end of
// a line; carriage returns are kept on purpose.
void XMLCALL characterData(void* userData, const XML_Char* piece, int length) {
    ElementStack* stack = static_cast<ElementStack*>(userData);
    int start = 0;
    while (start < length &&
           (piece[start] == ' ' || piece[start] == '\t' || piece[start] == '\n')) {
        ++start;
    }
    if (start == length || stack->empty()) {
        return;
    }
    stack->front()->appendText(piece + start, length - start);
}

enum class ParseOutcome { kParsed, kNoParser, kMalformed };

const char kNoParserText[] = "Couldn't allocate memory for parser";

// Runs one whole parse. The parser is released on every path, including failure.
ParseOutcome parseDocument(const char* document, int32_t length, int32_t isFinal, XMLNode* root,
                           std::string* error) {
    XML_Parser parser = createParser(nullptr);
    if (parser == nullptr) {
        *error = kNoParserText;
        return ParseOutcome::kNoParser;
    }
    ElementStack stack;
    XML_SetElementHandler(parser, startElement, endElement);
    XML_SetCharacterDataHandler(parser, characterData);
    XML_SetUserData(parser, &stack);
    if (XML_Parse(parser, document, length, isFinal) == XML_STATUS_ERROR) {
        const XML_LChar* text = XML_ErrorString(XML_GetErrorCode(parser));
        *error = text != nullptr ? text : "";
        XML_ParserFree(parser);
        return ParseOutcome::kMalformed;
    }
    XML_ParserFree(parser);
    // Only a partial document (isFinal 0) can end with no element opened, or with
    // elements still open; the root is what the callers expect in both cases.
    *root = stack.empty() ? XMLNode("", {}) : *stack.back();
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
    std::string error;
    switch (parseDocument(document, length, isFinal, &root, &error)) {
        case ParseOutcome::kParsed:
            break;
        case ParseOutcome::kNoParser:
            fprintf(stderr, "%s\n", kNoParserText);
            platform::exitFailure();
        case ParseOutcome::kMalformed:
            fprintf(stderr, "Parse error :\n%s\n", error.c_str());
            platform::exitFailure();
    }
    return root;
}

bool tryParseXml(const char* document, int32_t length, int32_t isFinal, XMLNode* root,
                 std::string* error) {
    XMLNode parsed("", {});
    std::string text;
    if (parseDocument(document, length, isFinal, &parsed, &text) != ParseOutcome::kParsed) {
        if (error != nullptr) {
            *error = std::move(text);
        }
        return false;
    }
    if (root != nullptr) {
        *root = std::move(parsed);
    }
    return true;
}
