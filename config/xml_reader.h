#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The reader's fatal messages, as printed on standard error: the first alone,
// the second on a line before expat's text for the error.
constexpr char kNoParserMessage[] = "Couldn't allocate memory for parser";
constexpr char kParseErrorHeading[] = "Parse error :";

// Size of the buffers that hold element names and attribute texts; longer input
// is cut to one byte less, which leaves room for the NUL.
constexpr size_t kXmlTextBufferSize = 1024;

// A zero-filled buffer of kXmlTextBufferSize bytes holding at most 1023
// characters and a NUL. Copies share the buffer; the last copy frees it. The
// text is written once, when the buffer is made, and only read afterwards.
class FixedText {
  public:
    // Copies the first `length` characters of `text`, cut to 1023; stops early at a NUL.
    FixedText(const char* text, size_t length);
    explicit FixedText(const char* text);

    const char* c_str() const { return buffer_.get(); }

  private:
    std::shared_ptr<char[]> buffer_;
};

// One attribute of an element, held by value in its element's list. Copies share
// the name and value buffers.
struct XMLAttribute {
    XMLAttribute(const char* name, const char* value);

    FixedText name;
    FixedText value;  // after XML processing: entities replaced, quotes removed
};

// One element of a parsed document. The tree is held by shared ownership: a
// parent owns its children through `children`, a copy of an element shares its
// name, its text buffer and its children with the original (only the two lists
// are copied), and the last owner frees everything. Nothing is locked: a tree is
// built on one thread and only read afterwards.
class XMLNode {
  public:
    XMLNode(const char* name, std::vector<XMLAttribute> attributes);
    XMLNode(const XMLNode&) = default;
    XMLNode(XMLNode&&) noexcept = default;
    XMLNode& operator=(XMLNode other) noexcept;
    ~XMLNode();

    // Appends `count` characters, growing `text` to exactly the size needed.
    void appendText(const char* characters, int32_t count);

    // The element's own character data; "" when it has none.
    const char* textOrEmpty() const { return text ? text.get() : ""; }

    std::vector<XMLAttribute> attributes;  // in start-tag order
    FixedText name;
    std::vector<std::shared_ptr<XMLNode>> children;  // in document order
    std::shared_ptr<char[]> text;                    // null until the first piece arrives
    int32_t textLength = 0;                          // without the NUL
    int32_t textCapacity = 0;                        // bytes behind `text`, the NUL's included
    // Where the element stands in its document, 1-based, for messages that
    // point into the file: the line on which its start tag begins, and the line
    // of the first piece of character data kept in `text` (0 when none is).
    int32_t line = 0;
    int32_t textLine = 0;
};

// Why a parse failed. For a malformed document also where expat stopped and
// the innermost element still open there, so that a message can point at the
// place to mend.
struct XmlParseError {
    std::string text;  // expat's text for the error, or kNoParserMessage
    int32_t code = 0;  // expat's XML_Error; 0 when no parser could be created
    int32_t line = 0;  // 1-based, as are the column and the open element's line
    int32_t column = 0;
    std::string openName;  // empty when no element is open
    int32_t openLine = 0;
};

// Parses a whole document held in memory (no NUL needed) in one call to expat
// and returns its root element. `isFinal` is non-zero when the bytes are the
// whole rest of the document. When it is 0 and elements are still open, the
// root is returned all the same; when no element was opened at all, an element
// with an empty name. A parser that cannot be created ends the process with
// kNoParserMessage, a malformed document with kParseErrorHeading and expat's
// text, each followed by a line feed, on standard error.
XMLNode parseXml(const char* document, int32_t length, int32_t isFinal);

// The same parse, for callers that must survive bad input: on failure returns
// false, leaves *root unchanged and says why in *error (either pointer may be
// null).
bool tryParseXml(const char* document, int32_t length, int32_t isFinal, XMLNode* root,
                 XmlParseError* error);
