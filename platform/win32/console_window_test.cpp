#include "platform/win32/console_window.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(ConsoleWindowWindows, OnlyAConsoleOfItsOwnWithNothingRedirectedVanishes) {
    const struct {
        ConsoleFacts facts;
        bool vanishes;
        const char* setting;
    } cases[] = {
        {{1, true, true, true}, true, "started from Explorer"},
        {{2, true, true, true}, false, "started from a command prompt"},
        {{3, true, true, true}, false, "a command prompt started from another"},
        {{0, false, false, false}, false, "no console at all"},
        {{1, false, true, true}, false, "input from a pipe"},
        {{1, true, false, true}, false, "output to a file"},
        {{1, true, true, false}, false, "errors to a file"},
        {{2, false, false, false}, false, "everything redirected in a command prompt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(windowWouldVanish(c.facts), c.vanishes) << c.setting;
    }
}

}  // namespace
}  // namespace platform
