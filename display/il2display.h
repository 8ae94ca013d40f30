#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "display/il2data.h"
#include "display/template_token.h"
#include "display/units.h"

// The display model: the configured lines, three to a page in configuration order, and the text of
// each line rebuilt from the flight data record on every refresh.
//
// The model owns its copy of the tokens and every line buffer. Tokens, numPages and numLignes are
// fixed at construction, which happens before any thread uses the model. The line texts are
// guarded by the named mutex "mutexIl2disp": refresh runs with it held (and with "mutexIL2Data"
// held for the record, taken first), and readers of lineText hold it while they read.
class IL2Display {
  public:
    // Each line buffer holds at most 1023 characters and a terminating NUL.
    static constexpr int32_t kLineCapacity = 1024;

    // Keeps its own copy of the tokens, resolves each token's unit code and default suffix, and
    // fills every line buffer with "***" until the first refresh.
    explicit IL2Display(const std::vector<TemplateToken>& tokens);

    // Rewrites the line of every token in place from the record; rows after the last token keep
    // "***". Allocates nothing.
    void refresh(const IL2Data& data);

    // The text at a page and row, or null outside 0 <= page < numPages, 0 <= row < numLignes.
    // The pointer stays valid for the model's life; the text changes with each refresh.
    const char* lineText(int32_t page, int32_t row) const;

    // The model's tokens, with unitCode set and empty suffixes filled as they are shown.
    const std::vector<TemplateToken>& tokens() const { return tokens_; }

    int32_t numLignes;  // lines per page: always 3
    int32_t numPages;

  private:
    // What a token's line needs on every refresh, worked out once at construction so that a
    // refresh compares no strings.
    struct ResolvedLine {
        const char* format;     // the whole line's format: prefix, value and suffix
        float IL2Data::*field;  // null for the name and for unknown value names
        bool showsPlane;        // the line shows the aircraft name
        UnitCode valueUnit;     // the unit the record holds the value in
        int32_t writtenLength;  // length of the text now in the buffer; every byte after is NUL
    };
    using LineBuffer = std::array<char, kLineCapacity>;

    static ResolvedLine resolve(const TemplateToken& token);

    std::vector<TemplateToken> tokens_;
    std::vector<ResolvedLine> resolved_;
    std::vector<LineBuffer> lines_;  // page by page, numLignes rows each
};
