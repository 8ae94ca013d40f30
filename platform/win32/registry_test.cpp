#include "platform/registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "tests/support/registry_entry.h"

namespace platform {
namespace {

// A key of the test's own under HKEY_LOCAL_MACHINE, which is itself a key of
// the test's own while the test runs.
class RegistryWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto own = testsupport::RegistryEntry::Reader::kThisProcess;
        if (const std::string why = own_.emplace("", "", own).notHeld(); !why.empty()) {
            GTEST_SKIP() << why;
        }
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }

    // Stores `text` with its terminating zero, as reg.exe and installers do.
    void setText(const wchar_t* name, const std::wstring& text) {
        RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    std::optional<testsupport::RegistryEntry> own_;
    const std::wstring path_ = L"SOFTWARE\\flightmfd\\test";
    HKEY key_ = nullptr;
};

TEST_F(RegistryWindows, ReadsTheStoredBytesWithinTheRoom) {
    setText(L"path", L"C:\\Saitek\\DirectOutput.dll");
    RegistryKey key;
    ASSERT_TRUE(key.open(path_.c_str()));
    wchar_t buffer[64] = {};
    uint32_t size = sizeof buffer;
    ASSERT_TRUE(key.queryValue(L"path", buffer, &size));
    const uint32_t stored = 27 * sizeof(wchar_t);  // 26 characters and the stored zero
    EXPECT_EQ(size, stored);
    EXPECT_STREQ(buffer, L"C:\\Saitek\\DirectOutput.dll");

    // Exactly the room fits; one byte less does not.
    size = stored;
    EXPECT_TRUE(key.queryValue(L"path", buffer, &size));
    size = stored - 1;
    EXPECT_FALSE(key.queryValue(L"path", buffer, &size));
    key.close();
}

TEST_F(RegistryWindows, MissingKeyOrValueFails) {
    RegistryKey key;
    EXPECT_FALSE(key.open((path_ + L"\\absent").c_str()));
    ASSERT_TRUE(key.open(path_.c_str()));
    wchar_t buffer[8];
    uint32_t size = sizeof buffer;
    EXPECT_FALSE(key.queryValue(L"absent", buffer, &size));
    key.close();
    key.close();  // a second close is harmless
}

}  // namespace
}  // namespace platform
