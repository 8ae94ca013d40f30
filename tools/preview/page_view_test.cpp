#include "tools/preview/page_view.h"

#include <gtest/gtest.h>

#include <cstring>

#include "display/il2data.h"

namespace {

IL2Display refreshed(const std::vector<TemplateToken>& tokens, const IL2Data& data) {
    IL2Display display(tokens);
    display.refresh(data);
    return display;
}

TEST(PageView, FramesEachPageAndMarksOverflowProblemAndUnansweredLines) {
    IL2Data data;
    data.altimeter = 304.0f;
    data.speedometer_indicated = 100.0f;
    const IL2Display display =
        refreshed({TemplateToken("altimeter", "ALT", "ft", ""),
                   TemplateToken("speedometer_indicated", "AIRSPEED", "", ""),
                   TemplateToken("plane", "", "", ""), TemplateToken("flaps", "FL\tAPS", "", "")},
                  data);
    const std::string expected =
        "Page 1 of 2 (PAGE00)\n"
        "          +----------------+\n"
        "? line  7 |ALT 1000.0 ft   |\n"
        "! line  9 |AIRSPEED 100.0 k|mph\n"
        "  line 10 | PLANE          |\n"
        "          +----------------+\n"
        "\n"
        "Page 2 of 2 (PAGE01)\n"
        "          +----------------+\n"
        "  line 12 |FL?APS 0.00     |\n"
        "          |***             |\n"
        "          |***             |\n"
        "          +----------------+\n";
    // A problem outweighs an unanswered value.
    EXPECT_EQ(renderPages(display, {7, 9, 10, 12}, {{9, "too wide"}}, {7, 9}), expected);
}

TEST(PageView, NoPagesWithoutLines) {
    const IL2Display display = refreshed({}, IL2Data());
    EXPECT_EQ(renderPages(display, {}, {}, {}), "No pages: the display stays empty.\n");
}

TEST(PageView, OverflowCountsCharactersAsTheDeviceReceivesThem) {
    IL2Data data;
    std::strcpy(data.plane, "Bf 109");
    // "Höhe" is four characters in five bytes of UTF-8: the line is exactly 16.
    const IL2Display display = refreshed({TemplateToken("altimeter", "H\xC3\xB6he", "", "metres"),
                                          TemplateToken("plane", "AIRCRAFT:", "", ""),
                                          TemplateToken("altimeter", "ALTITUDE", "", "metres")},
                                         data);
    Findings findings;
    checkOverflow(display, {3, 4, 5}, "sample values", &findings);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].line, 5);
    EXPECT_EQ(findings[0].message,
              "\"ALTITUDE 0.0 metres\" is 19 characters with sample values: the display shows "
              "16, up to \"ALTITUDE 0.0 met\"");
}

}  // namespace
