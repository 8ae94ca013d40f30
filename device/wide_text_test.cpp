#include "device/wide_text.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace {

// What a run of bytes outside any UTF-8 sequence stands for (Latin-1 on
// POSIX, the ANSI code page on Windows).
std::wstring cp(std::initializer_list<unsigned char> bytes) {
    std::string run(bytes.begin(), bytes.end());
    return platform::fromCodePage(run.data(), run.size(), platform::kSystemCodePage);
}

TEST(WideText, DecodesUtf8AndTakesOtherBytesFromTheCodePage) {
    const struct {
        const char* text;
        std::wstring wide;
    } cases[] = {
        {"", L""},
        {"IAS 120.0 kmph", L"IAS 120.0 kmph"},
        // A UTF-8 prefix from config.xml and an aircraft name in the 8-bit code page.
        {"Vitesse \xC3\xA9lev\xC3\251e Fw 190 D\351fi",
         L"Vitesse \u00E9lev\u00E9e Fw 190 D" + cp({0xE9}) + L"fi"},
        {"\xE2\x86\x91 12 m/s", L"\u2191 12 m/s"},
        // Four-byte sequences: one character beyond the basic plane (a surrogate pair on Windows).
        {"\xF0\x9F\x9B\xA9 ok", L"\U0001F6E9 ok"},
        // A lead byte followed by no continuation.
        {"\xC3(", cp({0xC3}) + L"("},
        // Sequences cut short by the end of the text.
        {"abc\xE2\x82", L"abc" + cp({0xE2, 0x82})},
        {"\xF0\x9F\x98", cp({0xF0, 0x9F, 0x98})},
        // Overlong forms, encoded surrogates and values beyond Unicode are not UTF-8.
        {"\xC0\xAF", cp({0xC0, 0xAF})},
        {"\xED\xA0\x80", cp({0xED, 0xA0, 0x80})},
        {"\xF4\x90\x80\x80", cp({0xF4, 0x90, 0x80, 0x80})},
        // A stray continuation byte and a byte that never starts a sequence.
        {"\x80x\xFF", cp({0x80}) + L"x" + cp({0xFF})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toWide(c.text), c.wide) << c.text;
    }
}

TEST(WideText, LatinOneOnPosix) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows takes the ANSI code page";
#endif
    EXPECT_EQ(toWide("D\351fi \x80"), L"D\u00E9fi \u0080");
}

TEST(WideText, DoubleByteCodePagesKeepTheirCharacters) {
#if !defined(_WIN32)
    GTEST_SKIP() << "POSIX reads 8-bit text as Latin-1 only";
#endif
    const struct {
        unsigned codePage;
        const char* text;
        std::wstring wide;
    } cases[] = {
        // Shift-JIS: trail bytes that are ASCII ('A', 'C', '{'), a single-byte
        // half-width katakana, and UTF-8 and ASCII right after a run.
        {932, "\x83\x41\x83\x43", L"\u30A2\u30A4"},
        {932, "\x93\xFA\x96\x7B 1", L"\u65E5\u672C 1"},
        {932, "\xB1 \x83\x41\xC3\xA9", L"\uFF71 \u30A2\u00E9"},
        // Simplified Chinese (GBK): lead bytes that also begin UTF-8 sequences.
        {936, "\xD6\xD0\xCE\xC4", L"\u4E2D\u6587"},
        // Korean and Traditional Chinese.
        {949, "\xC7\xD1 ALT", L"\uD55C ALT"},
        {950, "\xA4\xA4", L"\u4E2D"},
        // A single-byte code page, for comparison: each byte on its own.
        {1252, "\x80\x92", L"\u20AC\u2019"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toWide(c.text, c.codePage), c.wide) << c.codePage << " " << c.text;
    }
    // A lead byte with nothing after it is read on its own and ends the text.
    EXPECT_EQ(toWide("ALT \x83", 932).substr(0, 4), L"ALT ");
}

TEST(WideText, NullIsEmpty) {
    EXPECT_EQ(toWide(nullptr), L"");
}

}  // namespace
