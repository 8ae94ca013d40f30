#include "tools/virtualmfd/frame.h"

#include <gtest/gtest.h>

namespace virtualmfd {
namespace {

// Columns a row takes on the terminal: one per UTF-8 character, escape
// sequences none.
size_t columns(const std::string& row) {
    size_t count = 0;
    for (size_t i = 0; i < row.size(); ++i) {
        if (row[i] == '\x1b') {
            i = row.find('m', i);
            continue;
        }
        if ((static_cast<unsigned char>(row[i]) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

ViewState twoPages() {
    ViewState state;
    state.pages.push_back(PageView{
        L"PAGE00",
        {L"IAS 120.0 kmph", L"0123456789abcdefXYZ", L"0123456789abcdef0123456789abcdefGH"}});
    state.pages.push_back(PageView{L"PAGE01", {L"a\x1b[2Jb\n", L"", L"\u00E9t\u00E9"}});
    return state;
}

TEST(Frame, ShowsSixteenColumnsAndOverflowDimmed) {
    const std::vector<std::string> expected = {
        "┌PAGE00 1/2──────┐                ",
        "│IAS 120.0 kmph  │                ",
        "│0123456789abcdef│\x1b[2mXYZ\x1b[22m             ",
        "│0123456789abcdef│\x1b[2m0123456789abcde…\x1b[22m",
        "└────────────────┘                ",
    };
    std::vector<std::string> rows = renderPanel(twoPages(), 0);
    EXPECT_EQ(rows, expected);
    for (const std::string& row : rows) {
        EXPECT_EQ(columns(row), kPanelColumns) << row;
    }
}

TEST(Frame, CyclesPagesAndNeutralisesControlCharacters) {
    const std::vector<std::string> expected = {
        "┌PAGE01 2/2──────┐                ", "│a?[2Jb?         │                ",
        "│                │                ", "│été             │                ",
        "└────────────────┘                ",
    };
    EXPECT_EQ(renderPanel(twoPages(), 1), expected);
    EXPECT_EQ(renderPanel(twoPages(), 3), expected);
}

TEST(Frame, TellsWhenThereIsNothingToShow) {
    ViewState unplugged = twoPages();
    unplugged.present = false;
    const std::vector<std::string> unpluggedRows = {
        "┌unplugged───────┐                ", "│                │                ",
        "│   UNPLUGGED    │                ", "│                │                ",
        "└────────────────┘                ",
    };
    EXPECT_EQ(renderPanel(unplugged, 0), unpluggedRows);
    std::vector<std::string> empty = renderPanel(ViewState{}, 5);
    ASSERT_EQ(empty.size(), 5u);
    EXPECT_EQ(empty[0], "┌────────────────┐                ");
    EXPECT_EQ(empty[2], "│                │                ");
}

TEST(Frame, IsPlacedWithoutMovingTheCursor) {
    std::string out = placeAtTopRight({"one", "two"});
    EXPECT_EQ(out,
              "\x1b"
              "7\x1b[1;1H\x1b[999C\x1b[33Done\x1b[2;1H\x1b[999C\x1b[33Dtwo\x1b"
              "8");
}

}  // namespace
}  // namespace virtualmfd
