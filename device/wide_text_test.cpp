#include "device/wide_text.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(WideText, DecodesUtf8AndMarksWhatIsNot) {
    const std::pair<const char*, std::wstring> cases[] = {
        {"", L""},
        {"IAS 120.0 kmph", L"IAS 120.0 kmph"},
        {"Vitesse \xC3\xA9lev\xC3\xA9"
         "e",
         L"Vitesse \u00E9lev\u00E9e"},
        // A prefix from config.xml and a converted aircraft name: "altitude"
        // and "fighter" in Chinese.
        {"\xE9\xAB\x98\xE5\xBA\xA6 \xE6\x88\x98\xE6\x96\x97\xE6\x9C\xBA",
         L"\u9AD8\u5EA6 \u6218\u6597\u673A"},
        // Four-byte sequences: one character beyond the basic plane (a surrogate pair on Windows).
        {"\xF0\x9F\x9B\xA9 ok", L"\U0001F6E9 ok"},
        // Nothing is guessed: bytes of an 8-bit code page, a lead byte with
        // no continuation, a cut sequence, overlong forms, encoded surrogates
        // and values beyond Unicode each become U+FFFD, byte by byte.
        {"D\xE9"
         "fi",
         L"D\uFFFDfi"},
        {"\xC3(", L"\uFFFD("},
        {"abc\xE2\x82", L"abc\uFFFD\uFFFD"},
        {"\xC0\xAF", L"\uFFFD\uFFFD"},
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\x80x\xFF", L"\uFFFDx\uFFFD"},
    };
    for (const auto& [text, wide] : cases) {
        EXPECT_EQ(toWide(text), wide) << text;
    }
    EXPECT_EQ(toWide(nullptr), L"");
}

}  // namespace
