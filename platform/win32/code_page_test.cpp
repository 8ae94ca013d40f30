#include "platform/code_page.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace platform {
namespace {

TEST(CodePageWindows, BytesAreReadInTheAnsiCodePage) {
    for (unsigned byte = 0; byte < 0x80; ++byte) {
        EXPECT_EQ(codePageChar(static_cast<unsigned char>(byte)), static_cast<wchar_t>(byte));
    }
    if (GetACP() == 1252) {
        // Where Windows-1252 differs from Latin-1, and where it agrees.
        EXPECT_EQ(codePageChar(0x80), L'\u20AC');
        EXPECT_EQ(codePageChar(0x92), L'\u2019');
        EXPECT_EQ(codePageChar(0xE9), L'\u00E9');
    }
}

TEST(CodePageWindows, DoubleByteCharactersStayWhole) {
    const struct {
        unsigned codePage;
        std::string text;
        std::wstring wide;
    } cases[] = {
        // GBK: "fighter", whose bytes d5 bd b6 b7 are valid UTF-8 too.
        {936, "\xD5\xBD\xB6\xB7\xBB\xFA", L"\u6218\u6597\u673A"},
        // Shift-JIS: trail bytes that are ASCII ('A', 'C'), and a single-byte
        // half-width katakana that also begins a UTF-8 sequence.
        {932, "\x83\x41\x83\x43", L"\u30A2\u30A4"},
        {932, "\xB1\xB2 \x83\x41", L"\uFF71\uFF72 \u30A2"},
        // Cyrillic in 1251: the aircraft Li-2, whose first two bytes are valid
        // UTF-8 too.
        {1251, "\xCB\xB3-2", L"\u041B\u0456-2"},
        // A lead byte that ends the text has no character; nothing after the
        // text is read for it. A trail byte with a lead byte's value is no
        // lead byte.
        {932, "ALT \x83", L"ALT \uFFFD"},
        {936, "\xD5", L"\uFFFD"},
        {936, "\xD5\xBD\xD5", L"\u6218\uFFFD"},
        {932, "\x83\x83", L"\u30E3"},
    };
    for (const auto& c : cases) {
        // One byte past each text that a faulty read would take for a trail byte.
        std::string padded = c.text + "\x41";
        EXPECT_EQ(fromCodePage(padded.data(), c.text.size(), c.codePage), c.wide)
            << c.codePage << " " << c.text;
    }
}

}  // namespace
}  // namespace platform
