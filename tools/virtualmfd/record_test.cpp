#include "tools/virtualmfd/record.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "platform/utf8.h"
#include "tests/support/files.h"
#include "tools/virtualmfd/record_reader.h"

namespace virtualmfd {
namespace {

TEST(Record, TextsAreQuotedAndEscaped) {
    const std::pair<std::wstring, std::string> cases[] = {
        {L"IAS 120.0 kmph", "\"IAS 120.0 kmph\""},
        {L"", "\"\""},
        {L"say \"hi\" \\ bye", "\"say \\\"hi\\\" \\\\ bye\""},
        {L"a\nb\tc\rd\x1b[2Je\x7f", "\"a\\nb\\tc\\x0Dd\\x1B[2Je\\x7F\""},
        {std::wstring(L"nul\0in", 6), "\"nul\\x00in\""},
        {L"\u00E9t\u00E9 \u2191 \U0001F6E9", "\"\xC3\xA9t\xC3\xA9 \xE2\x86\x91 \xF0\x9F\x9B\xA9\""},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(quoted(text.data(), text.size()), expected);
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

// What the device writes, through the record file, read back.
TEST(Record, TheReaderReadsBackWhatTheWriterWrote) {
    const std::wstring texts[] = {L"IAS 120.0 kmph",
                                  L"",
                                  L"say \"hi\" \\ bye \\x41 \\",
                                  L"a\nb\tc\rd\x1b[2Je\x7f",
                                  std::wstring(L"nul\0in", 6),
                                  L"\u00E9t\u00E9 \u2191 \U0001F6E9",
                                  L"x\" -> 80070057"};
    const int64_t count = std::size(texts);
    const testsupport::TempFolder folder("virtualmfd-record");
    const std::string path = folder.file("record.txt");
    Recorder recorder;
    recorder.open(path);
    recorder.setTimed(true);
    void* const device = reinterpret_cast<void*>(uintptr_t{0x2a});
    for (uint32_t k = 0; k < count; ++k) {
        const auto length = static_cast<uint32_t>(texts[k].size());
        recorder.write(setStringLine(device, k, k % 3, length, texts[k].data()) + resultText(0));
        recorder.write(addPageLine(device, k, texts[k].c_str(), k + 1));
    }
    recorder.write(deviceChangeLine(device, false));
    recorder.setTimed(false);
    recorder.write("Enumerate" + resultText(-2147024809));
    recorder.close();
    const std::vector<RecordedCall> calls = readRecord(path);

    ASSERT_EQ(static_cast<int64_t>(calls.size()), 2 * count + 2);
    for (int64_t k = 0; k < count; ++k) {
        const RecordedCall& set = calls[2 * k];
        const RecordedCall& add = calls[2 * k + 1];
        EXPECT_EQ(set.text, platform::toUtf8(texts[k])) << k;
        EXPECT_EQ(add.text, platform::toUtf8(texts[k].c_str())) << k;
        EXPECT_EQ(set.name + " " + set.device + " " + set.result, "SetString 0x2a 00000000");
        EXPECT_EQ(set.page * 100 + set.line, k * 100 + k % 3);
        EXPECT_EQ(set.length, static_cast<int64_t>(texts[k].size()));
        EXPECT_EQ(add.page * 100 + add.flags, k * 100 + k + 1);
        EXPECT_GT(set.timeMs, 0.0);
    }
    EXPECT_EQ(calls[2 * count].text, "removed");
    EXPECT_EQ(calls.back().name + " " + calls.back().result, "Enumerate 80070057");
    EXPECT_EQ(calls.back().timeMs, -1.0);

    // Lines that the writer never writes are not read.
    for (const char* line :
         {"SetString 0x1 0 0 1 \"a", "SetString 0x1 0 0 1 \"\\q\"", "SetString 0x1 0 0 1 \"\\x4\"",
          "AddPage 0x1 0 \"P\" 0 extra", "AddPage 0x1 -1 \"P\" 0",
          "AddPage 0x1 12345678901 \"P\" 0", "Enumerate ->", "Enumerate "}) {
        EXPECT_FALSE(parseRecordLine(line).has_value()) << line;
    }
    // Any 32-bit number is.
    const std::optional<RecordedCall> widest = parseRecordLine("AddPage 0x1 4294967295 \"P\" 0");
    ASSERT_TRUE(widest.has_value());
    EXPECT_EQ(widest->page, 4294967295);
}

// The measuring tool follows the record while the display writes it: a line
// is read once it is whole, not lost while it is not.
TEST(Record, TheReaderFollowsAGrowingRecord) {
    const testsupport::TempFolder folder("virtualmfd-growing");
    const std::string path = folder.file("record.txt");
    std::ofstream record;
    RecordReader reader(path);
    EXPECT_TRUE(reader.next().empty());
    record.open(path, std::ios::binary);
    record << "Enumerate -> 00000000\nSetString 0x1 0 0 2 \"a" << std::flush;
    EXPECT_EQ(reader.next().size(), 1u);
    EXPECT_TRUE(reader.next().empty());
    record << "b\"\n" << std::flush;
    const std::vector<RecordedCall> calls = reader.next();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, "ab");
}

}  // namespace
}  // namespace virtualmfd
