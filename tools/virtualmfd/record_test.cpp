#include "tools/virtualmfd/record.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

namespace virtualmfd {
namespace {

TEST(Record, TextsAreQuotedAndEscaped) {
    const struct {
        std::wstring text;
        std::string quoted;
    } cases[] = {
        {L"IAS 120.0 kmph", "\"IAS 120.0 kmph\""},
        {L"", "\"\""},
        {L"say \"hi\" \\ bye", "\"say \\\"hi\\\" \\\\ bye\""},
        {L"a\nb\tc\rd\x1b[2Je\x7f", "\"a\\nb\\tc\\x0Dd\\x1B[2Je\\x7F\""},
        {std::wstring(L"nul\0in", 6), "\"nul\\x00in\""},
        {L"\u00E9t\u00E9 \u2191 \U0001F6E9", "\"\xC3\xA9t\xC3\xA9 \xE2\x86\x91 \xF0\x9F\x9B\xA9\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(quoted(c.text.data(), c.text.size()), c.quoted);
    }
    EXPECT_EQ(quoted(L"PAGE00"), "\"PAGE00\"");
    EXPECT_EQ(quoted(nullptr), "\"\"");
    // Only `length` characters count; the text need not be terminated there.
    EXPECT_EQ(quoted(L"abcdef", 3), "\"abc\"");
}

TEST(Record, TimesShowAsMillisecondsWithThreeDecimals) {
    using std::chrono::microseconds;
    using std::chrono::steady_clock;
    EXPECT_EQ(timeText(steady_clock::time_point(microseconds(1234567891))), "1234567.891");
    EXPECT_EQ(timeText(steady_clock::time_point(microseconds(5))), "0.005");
    EXPECT_EQ(timeText(steady_clock::time_point(microseconds(40000))), "40.000");
}

TEST(Record, HandlesShowAsHex) {
    EXPECT_EQ(handleText(nullptr), "0x0");
    EXPECT_EQ(handleText(reinterpret_cast<void*>(uintptr_t{1})), "0x1");
    EXPECT_EQ(handleText(reinterpret_cast<void*>(uintptr_t{0xBEEF})), "0xbeef");
}

}  // namespace
}  // namespace virtualmfd
