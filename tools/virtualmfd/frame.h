#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace virtualmfd {

// What the live view shows: the device's pages in index order.
struct PageView {
    std::wstring name;
    std::array<std::wstring, 3> lines;
};

struct ViewState {
    bool present = true;  // false while the device is unplugged
    std::vector<PageView> pages;
};

// The display is 16 characters wide; up to 16 more columns right of the frame
// show, dimmed, what a line holds beyond that, and an ellipsis marks what
// does not fit even there.
constexpr size_t kDisplayColumns = 16;
constexpr size_t kOverflowColumns = 16;
constexpr size_t kPanelColumns = 1 + kDisplayColumns + 1 + kOverflowColumns;

// The panel for page `shown` of `state` (wrapped around the page count): a
// top border holding the page's name and number, three framed lines and a
// bottom border, each row exactly kPanelColumns columns wide (as UTF-8 with
// escape sequences for the dimmed part). Control characters show as '?', so
// that no text can steer the terminal.
std::vector<std::string> renderPanel(const ViewState& state, size_t shown);

// Terminal output that draws `rows` at the top right of the screen and puts
// the cursor back where it was, so that the program's own output on the same
// terminal goes on undisturbed.
std::string placeAtTopRight(const std::vector<std::string>& rows);

}  // namespace virtualmfd
