#include "tools/virtualmfd/frame.h"

#include "platform/utf8.h"

namespace virtualmfd {
namespace {

const char kDim[] = "\x1b[2m";
const char kNormal[] = "\x1b[22m";
const char kEllipsis[] = "\u2026";

std::string repeat(const char* piece, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

// One column per character; C0 and C1 control characters become '?'.
std::wstring printable(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out) {
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            c = L'?';
        }
    }
    return out;
}

std::string topBorder(const ViewState& state, size_t shown) {
    std::wstring title;
    if (!state.pages.empty()) {
        title = state.pages[shown].name + L" " + std::to_wstring(shown + 1) + L"/" +
                std::to_wstring(state.pages.size());
    }
    if (!state.present) {
        title = L"unplugged";
    }
    title = printable(title).substr(0, kDisplayColumns);
    return "\u250C" + platform::toUtf8(title) + repeat("\u2500", kDisplayColumns - title.size()) +
           "\u2510" + std::string(kOverflowColumns, ' ');
}

std::string framedLine(const std::wstring& line) {
    std::wstring text = printable(line);
    std::wstring shown = text.substr(0, kDisplayColumns);
    std::string row = "\u2502" + platform::toUtf8(shown) +
                      std::string(kDisplayColumns - shown.size(), ' ') + "\u2502";
    std::wstring rest = text.size() > kDisplayColumns ? text.substr(kDisplayColumns) : L"";
    if (rest.empty()) {
        return row + std::string(kOverflowColumns, ' ');
    }
    std::string overflow;
    size_t used;
    if (rest.size() > kOverflowColumns) {
        overflow = platform::toUtf8(rest.substr(0, kOverflowColumns - 1)) + kEllipsis;
        used = kOverflowColumns;
    } else {
        overflow = platform::toUtf8(rest);
        used = rest.size();
    }
    return row + kDim + overflow + kNormal + std::string(kOverflowColumns - used, ' ');
}

}  // namespace

std::vector<std::string> renderPanel(const ViewState& state, size_t shown) {
    if (!state.pages.empty()) {
        shown %= state.pages.size();
    }
    std::vector<std::string> rows;
    rows.push_back(topBorder(state, shown));
    for (size_t line = 0; line < 3; ++line) {
        if (!state.present) {
            // An unplugged device holds nothing; say so across the display.
            rows.push_back(framedLine(line == 1 ? L"   UNPLUGGED" : L""));
        } else {
            rows.push_back(framedLine(state.pages.empty() ? L"" : state.pages[shown].lines[line]));
        }
    }
    rows.push_back("\u2514" + repeat("\u2500", kDisplayColumns) + "\u2518" +
                   std::string(kOverflowColumns, ' '));
    return rows;
}

std::string placeAtTopRight(const std::vector<std::string>& rows) {
    // Save the cursor; for each row go to its line, to the last column (the
    // move stops at the margin, so the width need not be known), then back
    // to where the panel begins; restore the cursor.
    std::string out =
        "\x1b"
        "7";
    for (size_t i = 0; i < rows.size(); ++i) {
        out += "\x1b[" + std::to_string(i + 1) + ";1H\x1b[999C\x1b[" +
               std::to_string(kPanelColumns - 1) + "D" + rows[i];
    }
    return out +
           "\x1b"
           "8";
}

}  // namespace virtualmfd
