#include "platform/library.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(LibraryWindows, LoadsBindsAndFrees) {
    LibraryHandle kernel = loadLibrary(L"kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    EXPECT_NE(findSymbol(kernel, "GetCurrentProcessId"), nullptr);
    EXPECT_EQ(findSymbol(kernel, "NoSuchEntryPoint"), nullptr);
    freeLibrary(kernel);

    EXPECT_EQ(loadLibrary(L"C:\\no\\such\\folder\\DirectOutput.dll"), nullptr);
}

}  // namespace
}  // namespace platform
