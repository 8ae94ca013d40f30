#include "platform/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "device/direct_output_loader.h"
#include "platform/utf8.h"
#include "tests/support/files.h"
#include "tests/support/registry_entry.h"

namespace platform {
namespace {

// The room the library's path look-up gives: 4095 characters and a terminator.
constexpr uint32_t kRoom = 4095 * sizeof(wchar_t);

// The display library's entry in a registry of the test's own (the
// stand-in's folder, or HKEY_LOCAL_MACHINE redirected), with no entry at first.
class Registry : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const std::string why = entry_.notHeld(); !why.empty()) {
            GTEST_SKIP() << why;
        }
    }

    // The value's characters (a byte past the last whole one makes one more),
    // or "<no key>", or "<no value>" when it is missing or does not fit.
    std::wstring read(uint32_t room = kRoom) {
        RegistryKey key;
        if (!key.open(kDirectOutputKey)) {
            return L"<no key>";
        }
        std::wstring buffer(4096, L'\0');
        uint32_t size = room;
        const bool found = key.queryValue(kDirectOutputValue, buffer.data(), &size);
        key.close();
        key.close();  // a second close is harmless
        return found ? buffer.substr(0, (size + sizeof(wchar_t) - 1) / sizeof(wchar_t))
                     : L"<no value>";
    }

    testsupport::TempFolder root_{"flightmfd-registry"};
    testsupport::RegistryEntry entry_{root_.path(), "",
                                      testsupport::RegistryEntry::Reader::kThisProcess};
};

TEST_F(Registry, MissingKeyOrValueFails) {
    EXPECT_EQ(read(), L"<no key>");
    entry_.remove(true);
    EXPECT_EQ(read(), L"<no value>");
}

// The stored characters come as they are, with no terminator added: one
// stored with them, as installers store it, counts. Exactly the room fits.
TEST_F(Registry, ReadsTheStoredCharactersWithinTheRoom) {
    const std::string path = "C:\\Saitek\\DirectOutput.dll";
    entry_.storeText(path + '\0');
    const uint32_t stored = 27 * sizeof(wchar_t);  // 26 characters and the stored zero
    EXPECT_EQ(read(stored), L"C:\\Saitek\\DirectOutput.dll" + std::wstring(1, L'\0'));
    EXPECT_EQ(read(stored - 1), L"<no value>");
    entry_.storeText(path);
    EXPECT_EQ(read(), L"C:\\Saitek\\DirectOutput.dll");
}

#ifndef _WIN32
// The stand-in's own rules: a file for each value.
class RegistryPosix : public Registry {
  protected:
    // Writes the value's file as it is.
    void store(const std::string& bytes) { entry_.storeBytes(bytes, false); }
};

TEST_F(RegistryPosix, AFolderNamedAsTheValueIsNoValue) {
    std::string value = toUtf8(kDirectOutputKey) + "/" + toUtf8(kDirectOutputValue);
    std::replace(value.begin(), value.end(), '\\', '/');
    std::filesystem::create_directories(root_.path() + "/HKEY_LOCAL_MACHINE/" + value);
    EXPECT_EQ(read(), L"<no value>");
}

// The file's bytes as UTF-8, one trailing newline dropped, within the room
// counted in characters, not in the file's bytes.
TEST_F(RegistryPosix, TheFileHoldsTheValue) {
    std::string twoByteCharacters;
    for (int i = 0; i < 4095; ++i) {
        twoByteCharacters += "\xC3\xA9";
    }
    const struct {
        std::string file;
        std::wstring value;
    } cases[] = {
        {"/opt/saitek/DirectOutput.so", L"/opt/saitek/DirectOutput.so"},
        {"/opt/DirectOutput.so\n", L"/opt/DirectOutput.so"},
        {"/opt/DirectOutput.so\n\n", L"/opt/DirectOutput.so\n"},
        {"", L""},
        {"\n", L""},
        {"/opt/caf\xC3\xA9/d.so\n", L"/opt/caf\u00E9/d.so"},
        {std::string(4095, 'a') + "\n", std::wstring(4095, L'a')},
        {std::string(4096, 'a'), L"<no value>"},
        {twoByteCharacters, std::wstring(4095, L'\u00E9')},
    };
    for (const auto& c : cases) {
        store(c.file);
        EXPECT_EQ(read(), c.value) << c.file.substr(0, 40);
    }
}
#endif

}  // namespace
}  // namespace platform
