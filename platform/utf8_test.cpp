#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "platform/code_page.h"

namespace platform {
namespace {

// Each text: where a cut of it ends on a character boundary, and whether it
// is UTF-8 as a whole.
TEST(Utf8, CutsAndWholeTexts) {
    const std::tuple<std::string, size_t, bool> cases[] = {
        {"", 0, true},
        {"ALT \xC3\xA9", 6, true},
        {"ALT \xC3", 4, false},
        {"\xE6\x88\x98\xE6\x96", 3, false},
        {"x\xF0\x9F\x9B", 1, false},
        {"x\xF0\x9F\x9B\xA9", 5, true},
        // Latin-1: its last byte reads as the lead of a character cut short.
        {"Caf\xE9", 3, false},
        // Not UTF-8 to begin with: left as it is.
        {"\x80\x80\x80\x80", 4, false},
    };
    for (const auto& [text, whole, utf8] : cases) {
        EXPECT_EQ(wholeUtf8Length(text.data(), text.size()), whole) << text;
        EXPECT_EQ(isUtf8(text.data(), text.size()), utf8) << text;
    }
#ifndef _WIN32
    // The aircraft's name: UTF-8 as it stands, any other text as Latin-1.
    EXPECT_EQ(systemTextToUtf8("Caf\xC3\xA9", 5), "Caf\xC3\xA9");
    EXPECT_EQ(systemTextToUtf8("Caf\xE9", 4), "Caf\xC3\xA9");
#endif
}

TEST(Utf8, CodePageTextBecomesUtf8) {
    // Latin-1 on POSIX, whatever the code page; Windows-1252 agrees on these.
    const std::pair<std::string, std::string> cases[] = {{"", ""},
                                                         {"Bf 109 G-2", "Bf 109 G-2"},
                                                         {"D\xE9"
                                                          "fi \xC5",
                                                          "D\xC3\xA9"
                                                          "fi \xC3\x85"}};
    for (const auto& [text, utf8] : cases) {
        EXPECT_EQ(codePageToUtf8(text.data(), text.size(), 1252), utf8) << text;
    }
    // The first byte past ASCII: the euro sign in Windows-1252, U+0080 in Latin-1.
#ifdef _WIN32
    EXPECT_EQ(codePageToUtf8("x\x80", 2, 1252), "x\xE2\x82\xAC");
#else
    EXPECT_EQ(codePageToUtf8("x\x80", 2, 1252), "x\xC2\x80");
#endif
}

}  // namespace
}  // namespace platform
