#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where each element of a document stands in its file. The tree mirrors the
// element tree that the program's XML reader builds from the same bytes: the
// k-th child here belongs to the k-th child there. The program's reader keeps
// no positions, so the preview runs this second expat pass of its own.
struct ElementLines {
    std::string name;
    int32_t line = 0;      // 1-based line where the start tag begins
    int32_t textLine = 0;  // line of the first character data the reader keeps; 0 when none
    std::vector<ElementLines> children;
};

struct SourceMap {
    bool parsed = false;
    ElementLines root;
    // Where expat stopped on a malformed document, 1-based, and why.
    int32_t errorLine = 0;
    int32_t errorColumn = 0;
    int32_t errorCode = 0;  // expat's XML_Error
    // The innermost element still open there; an empty name when none is.
    std::string openName;
    int32_t openLine = 0;
};

// Parses the bytes exactly as the program does (one XML_Parse call with the
// same final flag), so that it succeeds and fails on the same documents.
SourceMap mapElementLines(const char* document, int32_t length, int32_t isFinal);
