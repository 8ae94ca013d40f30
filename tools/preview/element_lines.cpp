#include "tools/preview/element_lines.h"

#include <expat.h>

namespace {

// The open elements, innermost last. Only the innermost element's children
// grow, so the pointers to the elements around it stay valid.
struct MapState {
    XML_Parser parser;
    ElementLines root;
    bool rootSeen = false;
    std::vector<ElementLines*> open;
};

int32_t currentLine(XML_Parser parser) {
    return static_cast<int32_t>(XML_GetCurrentLineNumber(parser));
}

void XMLCALL startElement(void* userData, const XML_Char* name, const XML_Char**) {
    auto* state = static_cast<MapState*>(userData);
    ElementLines* element;
    if (state->open.empty()) {
        element = &state->root;
        state->rootSeen = true;
    } else {
        state->open.back()->children.emplace_back();
        element = &state->open.back()->children.back();
    }
    element->name = name;
    element->line = currentLine(state->parser);
    state->open.push_back(element);
}

void XMLCALL endElement(void* userData, const XML_Char*) {
    auto* state = static_cast<MapState*>(userData);
    if (!state->open.empty()) {
        state->open.pop_back();
    }
}

// The program's reader drops a piece that holds only blanks, tabs and line
// feeds; the first piece it keeps gives the text's line.
void XMLCALL characterData(void* userData, const XML_Char* piece, int length) {
    auto* state = static_cast<MapState*>(userData);
    if (state->open.empty() || state->open.back()->textLine != 0) {
        return;
    }
    for (int i = 0; i < length; ++i) {
        if (piece[i] != ' ' && piece[i] != '\t' && piece[i] != '\n') {
            state->open.back()->textLine = currentLine(state->parser);
            return;
        }
    }
}

}  // namespace

SourceMap mapElementLines(const char* document, int32_t length, int32_t isFinal) {
    SourceMap map;
    MapState state;
    state.parser = XML_ParserCreate(nullptr);
    if (state.parser == nullptr) {
        return map;
    }
    XML_SetElementHandler(state.parser, startElement, endElement);
    XML_SetCharacterDataHandler(state.parser, characterData);
    XML_SetUserData(state.parser, &state);
    if (XML_Parse(state.parser, document, length, isFinal) == XML_STATUS_ERROR) {
        map.errorLine = currentLine(state.parser);
        map.errorColumn = static_cast<int32_t>(XML_GetCurrentColumnNumber(state.parser)) + 1;
        map.errorCode = static_cast<int32_t>(XML_GetErrorCode(state.parser));
        if (!state.open.empty()) {
            map.openName = state.open.back()->name;
            map.openLine = state.open.back()->line;
        }
    } else {
        map.parsed = true;
        map.root = std::move(state.root);
    }
    XML_ParserFree(state.parser);
    return map;
}
