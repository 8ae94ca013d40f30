#pragma once

#include <cstdint>

// One configured display line: which flight value to show, in which unit, and the texts around
// it. A plain record with value semantics: every text lives in the token's own buffer, so a copy
// carries its own texts. The configuration reader makes the tokens; the display model keeps its
// own copy and sets `unitCode` (and possibly `suffix`) once, when it is built.
struct TemplateToken {
    // Each text holds at most this many characters and a terminating NUL.
    static constexpr int32_t kTextCapacity = 1024;

    // Copies the four texts, each cut to its first 1023 characters; a null pointer counts as an
    // empty text. `unitCode` stays -1 until the display model resolves it.
    TemplateToken(const char* valueName, const char* prefix, const char* unit, const char* suffix);

    char prefix[kTextCapacity];
    char valueName[kTextCapacity];
    char unit[kTextCapacity];
    int32_t unitCode;
    char suffix[kTextCapacity];
    bool autoSuffix;  // when true, the display model fills an empty suffix with the unit's label
};
