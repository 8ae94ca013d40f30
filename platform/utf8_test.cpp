#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/code_page.h"

namespace platform {
namespace {

TEST(Utf8, ACutTextEndsOnACharacterBoundary) {
    const struct {
        std::string text;
        size_t whole;
    } cases[] = {
        {"", 0},
        {"ALT \xC3\xA9", 6},
        {"ALT \xC3", 4},
        {"\xE6\x88\x98\xE6\x96", 3},
        {"x\xF0\x9F\x9B", 1},
        {"x\xF0\x9F\x9B\xA9", 5},
        // Not UTF-8 to begin with: left as it is.
        {"\x80\x80\x80\x80", 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wholeUtf8Length(c.text.data(), c.text.size()), c.whole) << c.text;
    }
}

TEST(Utf8, CodePageTextBecomesUtf8) {
    // Latin-1 on POSIX, whatever the code page; Windows-1252 agrees on these.
    const struct {
        std::string text;
        std::string utf8;
    } cases[] = {
        {"", ""},
        {"Bf 109 G-2", "Bf 109 G-2"},
        {"D\xE9"
         "fi \xC5",
         "D\xC3\xA9"
         "fi \xC3\x85"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(codePageToUtf8(c.text.data(), c.text.size(), 1252), c.utf8) << c.text;
    }
    // The first byte past ASCII: the euro sign in Windows-1252, U+0080 in Latin-1.
#ifdef _WIN32
    EXPECT_EQ(codePageToUtf8("x\x80", 2, 1252), "x\xE2\x82\xAC");
#else
    EXPECT_EQ(codePageToUtf8("x\x80", 2, 1252), "x\xC2\x80");
#endif
}

TEST(Utf8, OnlyAWholeUtf8TextIsTakenAsUtf8) {
    const struct {
        std::string text;
        bool utf8;
    } cases[] = {
        {"", true},         {"Caf\xC3\xA9", true}, {"\xE6\x88\x98", true},
        {"Caf\xE9", false}, {"\xE9t\xE9", false},  {"x\xF0\x9F\x9B", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isUtf8(c.text.data(), c.text.size()), c.utf8) << c.text;
    }
#ifndef _WIN32
    // The aircraft's name: UTF-8 as it stands, any other text as Latin-1.
    EXPECT_EQ(systemTextToUtf8("Caf\xC3\xA9", 5), "Caf\xC3\xA9");
    EXPECT_EQ(systemTextToUtf8("Caf\xE9", 4), "Caf\xC3\xA9");
#endif
}

}  // namespace
}  // namespace platform
