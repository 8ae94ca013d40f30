#include "platform/code_page.h"

#include <gtest/gtest.h>
#include <windows.h>

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

}  // namespace
}  // namespace platform
