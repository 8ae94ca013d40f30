// The rules of the POSIX stand-in for the registry; Windows has the real one.
#if !defined(_WIN32)

#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/thread.h"
#include "tests/support/files.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

const wchar_t kKey[] = L"SOFTWARE\\Saitek\\DirectOutput";
const wchar_t kValue[] = L"DirectOutputX86";
// The room the library's path look-up gives: 4095 characters and a terminator.
constexpr uint32_t kRoom = 4095 * sizeof(wchar_t);

// A registry root of the test's own, named by FLIGHTMFD_REGISTRY while it lives.
class RegistryTest : public ::testing::Test {
  protected:
    RegistryTest()
        : root_(fs::temp_directory_path() /
                ("flightmfd-registry-" + std::to_string(currentProcessId()))) {
        fs::remove_all(root_);
        fs::create_directories(root_);
        setenv("FLIGHTMFD_REGISTRY", root_.c_str(), 1);
    }
    ~RegistryTest() override {
        unsetenv("FLIGHTMFD_REGISTRY");
        fs::remove_all(root_);
    }

    fs::path keyFolder() const {
        return root_ / "HKEY_LOCAL_MACHINE" / "SOFTWARE" / "Saitek" / "DirectOutput";
    }

    void writeValue(const std::string& bytes) {
        testsupport::writeRegistryEntry(root_.string(), bytes);
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

    fs::path root_;
};

TEST_F(RegistryTest, MissingFolderIsNoKeyAndMissingFileIsNoValue) {
    EXPECT_EQ(read(), L"<no key>");
    fs::create_directories(keyFolder());
    EXPECT_EQ(read(), L"<no value>");
    // A subkey of the same name is not a value.
    fs::create_directories(keyFolder() / "DirectOutputX86");
    EXPECT_EQ(read(), L"<no value>");
}

TEST_F(RegistryTest, OneTrailingNewlineIsDropped) {
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

TEST_F(RegistryTest, ValuesBeyondTheRoomFail) {
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

#endif  // !defined(_WIN32)
