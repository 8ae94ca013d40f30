// The rules of the POSIX stand-in for the registry: a file for each value.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/files.h"
#include "tests/support/scoped_environment.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

const wchar_t kKey[] = L"SOFTWARE\\flightmfd\\test";
const wchar_t kValue[] = L"path";
// The room the library's path look-up gives: 4095 characters and a terminator.
constexpr uint32_t kRoom = 4095 * sizeof(wchar_t);

// A registry root of the test's own, named by FLIGHTMFD_REGISTRY while it lives.
class RegistryPosix : public ::testing::Test {
  protected:
    RegistryPosix() { environment_.set("FLIGHTMFD_REGISTRY", root_.path()); }

    fs::path keyFolder() const {
        return fs::path(root_.path()) / "HKEY_LOCAL_MACHINE" / "SOFTWARE" / "flightmfd" / "test";
    }

    void writeValue(const std::string& bytes) {
        fs::create_directories(keyFolder());
        testsupport::writeFile((keyFolder() / "path").string(), bytes);
    }

    // The value's text, or "<absent>" when the key or the value is missing or does not fit.
    std::wstring read(uint32_t room = kRoom) {
        RegistryKey key;
        if (!key.open(kKey)) {
            return L"<no key>";
        }
        std::wstring buffer(4096, L'\0');
        uint32_t size = room;
        bool found = key.queryValue(kValue, buffer.data(), &size);
        key.close();
        if (!found) {
            return L"<no value>";
        }
        return buffer.substr(0, size / sizeof(wchar_t));
    }

    testsupport::TempFolder root_{"flightmfd-registry"};
    testsupport::ScopedEnvironment environment_;
};

TEST_F(RegistryPosix, MissingFolderIsNoKeyAndMissingFileIsNoValue) {
    EXPECT_EQ(read(), L"<no key>");
    fs::create_directories(keyFolder());
    EXPECT_EQ(read(), L"<no value>");
    // A subkey of the same name is not a value.
    fs::create_directories(keyFolder() / "path");
    EXPECT_EQ(read(), L"<no value>");
}

TEST_F(RegistryPosix, OneTrailingNewlineIsDropped) {
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
    };
    for (const auto& c : cases) {
        writeValue(c.file);
        EXPECT_EQ(read(), c.value) << c.file;
    }
}

TEST_F(RegistryPosix, ValuesBeyondTheRoomFail) {
    writeValue(std::string(4095, 'a') + "\n");
    EXPECT_EQ(read(), std::wstring(4095, L'a'));
    writeValue(std::string(4096, 'a'));
    EXPECT_EQ(read(), L"<no value>");
    // The room is counted in characters, not in the file's UTF-8 bytes.
    std::string wide;
    for (int i = 0; i < 4095; ++i) {
        wide += "\xC3\xA9";
    }
    writeValue(wide);
    EXPECT_EQ(read(), std::wstring(4095, L'\u00E9'));
    writeValue("abc");
    EXPECT_EQ(read(2 * sizeof(wchar_t)), L"<no value>");
}

}  // namespace
}  // namespace platform
