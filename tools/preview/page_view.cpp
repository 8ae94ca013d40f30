#include "tools/preview/page_view.h"

#include <algorithm>
#include <cstdio>

#include "device/wide_text.h"
#include "platform/utf8.h"
#include "tools/preview/wording.h"

namespace {

constexpr int32_t kLinesPerPage = 3;

std::string printable(const std::wstring& characters) {
    std::wstring shown = characters;
    for (wchar_t& c : shown) {
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            c = L'?';
        }
    }
    return platform::toUtf8(shown);
}

const char* mark(const Findings& findings, const std::vector<int32_t>& unansweredLines,
                 int32_t line) {
    for (const Finding& finding : findings) {
        if (finding.line == line) {
            return "!";
        }
    }
    const bool unanswered =
        std::find(unansweredLines.begin(), unansweredLines.end(), line) != unansweredLines.end();
    return unanswered ? "?" : " ";
}

std::string pageTitle(int32_t page, int32_t pageCount) {
    // The device names its pages PAGE00, PAGE01 and so on.
    char title[64];
    std::snprintf(title, sizeof title, "Page %d of %d (PAGE%02d)\n", static_cast<int>(page + 1),
                  static_cast<int>(pageCount), static_cast<int>(page));
    return title;
}

std::string framedRow(const char* text) {
    std::wstring characters = displayedCharacters(text);
    std::wstring inside = characters.substr(0, kDisplayColumns);
    std::string row =
        "|" + printable(inside) + std::string(kDisplayColumns - inside.size(), ' ') + "|";
    if (characters.size() > kDisplayColumns) {
        row += printable(characters.substr(kDisplayColumns));
    }
    return row;
}

}  // namespace

std::wstring displayedCharacters(const char* text) {
    return toWide(text);
}

void checkOverflow(const IL2Display& display, const std::vector<int32_t>& tokenLines,
                   const std::string& values, Findings* findings) {
    for (size_t k = 0; k < tokenLines.size(); ++k) {
        const char* text = display.lineText(static_cast<int32_t>(k / kLinesPerPage),
                                            static_cast<int32_t>(k % kLinesPerPage));
        std::wstring characters = displayedCharacters(text);
        if (characters.size() <= kDisplayColumns) {
            continue;
        }
        findings->push_back(
            {tokenLines[k], quoted(text) + " is " + std::to_string(characters.size()) +
                                " characters with " + values + ": the display shows " +
                                std::to_string(kDisplayColumns) + ", up to " +
                                quoted(platform::toUtf8(characters.substr(0, kDisplayColumns)))});
    }
}

std::string renderPages(const IL2Display& display, const std::vector<int32_t>& tokenLines,
                        const Findings& findings, const std::vector<int32_t>& unansweredLines) {
    if (display.numPages == 0) {
        return "No pages: the display stays empty.\n";
    }
    int32_t widest = 1;
    for (int32_t line : tokenLines) {
        widest = std::max(widest, static_cast<int32_t>(std::to_string(line).size()));
    }
    // "! line NN " before the frame; the border lines up with the rows.
    const std::string margin(2 + 5 + static_cast<size_t>(widest) + 1, ' ');
    const std::string border = margin + "+" + std::string(kDisplayColumns, '-') + "+\n";
    std::string out;
    for (int32_t page = 0; page < display.numPages; ++page) {
        out += (page > 0 ? "\n" : "") + pageTitle(page, display.numPages) + border;
        for (int32_t row = 0; row < display.numLignes; ++row) {
            const size_t k = static_cast<size_t>(page) * kLinesPerPage + static_cast<size_t>(row);
            std::string label = margin;
            if (k < tokenLines.size()) {
                char number[32];
                std::snprintf(number, sizeof number, "%s line %*d ",
                              mark(findings, unansweredLines, tokenLines[k]),
                              static_cast<int>(widest), static_cast<int>(tokenLines[k]));
                label = number;
            }
            out += label + framedRow(display.lineText(page, row)) + "\n";
        }
        out += border;
    }
    return out;
}
