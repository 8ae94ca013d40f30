#include "tools/preview/parse_notes.h"

#include <expat.h>

#include <cctype>
#include <cstdio>

#include "platform/utf8.h"
#include "tools/preview/config_source.h"

namespace {

const char kSaveAsUtf8[] = "Save it as UTF-8: in Notepad, File, Save As, with Encoding UTF-8";

// Notepad's "Unicode" is UTF-16 with a byte-order mark; without one, the
// first character, '<', tells the byte order.
bool looksLikeUtf16(const std::string& bytes) {
    if (bytes.size() < 2) {
        return false;
    }
    const auto first = static_cast<unsigned char>(bytes[0]);
    const auto second = static_cast<unsigned char>(bytes[1]);
    return (first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF) ||
           (first == '<' && second == 0) || (first == 0 && second == '<');
}

// The encoding that an XML declaration at the start of the file names; ""
// when there is none. A declaration is ASCII, so in UTF-16 it is the bytes
// that are not zero.
std::string declaredEncoding(std::string bytes) {
    if (looksLikeUtf16(bytes)) {
        std::string narrow;
        for (char c : bytes.substr(0, 512)) {
            if (c != '\0') {
                narrow += c;
            }
        }
        bytes = narrow;
    }
    size_t start = bytes.find("<?xml");
    start = start <= 3 ? start : std::string::npos;
    if (start == std::string::npos) {
        return "";
    }
    const size_t end = bytes.find("?>", start);
    const size_t name = bytes.find("encoding", start);
    if (end == std::string::npos || name == std::string::npos || name > end) {
        return "";
    }
    const size_t open = bytes.find_first_of("\"'", name);
    const size_t close = open < end ? bytes.find(bytes[open], open + 1) : std::string::npos;
    return close < end ? bytes.substr(open + 1, close - open - 1) : "";
}

bool namesUtf8(const std::string& encoding) {
    std::string lowered;
    for (char c : encoding) {
        lowered += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lowered.empty() || lowered == "utf-8" || lowered == "utf8";
}

// The offset of the first byte that does not start a valid UTF-8 sequence;
// npos when all of them do.
size_t firstNonUtf8(const std::string& bytes) {
    const auto* text = reinterpret_cast<const unsigned char*>(bytes.data());
    char32_t ignored;
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = platform::decodeUtf8(text + i, bytes.size() - i, &ignored);
        if (length == 0) {
            return i;
        }
        i += length;
    }
    return std::string::npos;
}

ParseNote encodingNote(const std::string& bytes, const XmlParseError& error) {
    const std::string declared = declaredEncoding(bytes);
    switch (error.code) {
        case XML_ERROR_INCORRECT_ENCODING:
            return {error.line, 0,
                    std::string(looksLikeUtf16(bytes)
                                    ? "the file is saved as UTF-16 (\"Unicode\" in Notepad)"
                                    : "the file is saved in another encoding") +
                        ", but its first line says encoding=\"" + declared + "\". " + kSaveAsUtf8 +
                        "."};
        case XML_ERROR_UNKNOWN_ENCODING:
            return {error.line, 0,
                    "the program cannot read the encoding \"" + declared +
                        "\" that the first line declares (it reads UTF-8, UTF-16, ISO-8859-1 and "
                        "US-ASCII). " +
                        kSaveAsUtf8 + ", and make the first line say encoding=\"UTF-8\"."};
        case XML_ERROR_INVALID_TOKEN:
        case XML_ERROR_PARTIAL_CHAR:
            break;
        default:
            return {};
    }
    const size_t offset = firstNonUtf8(bytes);
    if (looksLikeUtf16(bytes) || !namesUtf8(declared) || offset == std::string::npos) {
        return {};
    }
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(bytes[offset]));
    const TextPosition position = positionOf(bytes, offset);
    return {position.line, position.column,
            std::string("byte ") + byte +
                " is not UTF-8: the file is saved in another encoding (\"ANSI\" in an older "
                "Notepad). " +
                kSaveAsUtf8 + "."};
}

}  // namespace

ParseNote explainParseError(const std::string& bytes, const XmlParseError& error) {
    const std::string tag = "<" + error.openName + ">";
    const std::string end = "</" + error.openName + ">";
    if (error.code == XML_ERROR_TAG_MISMATCH && !error.openName.empty()) {
        return {error.openLine, 0,
                tag + ", opened here, is still open at the end tag on line " +
                    std::to_string(error.line) + ": close it with " + end +
                    " (or mend that end tag)"};
    }
    if (error.code == XML_ERROR_NO_ELEMENTS && !error.openName.empty()) {
        return {error.openLine, 0,
                tag + ", opened here, is never closed: the file ends first; close it with " + end};
    }
    return encodingNote(bytes, error);
}
