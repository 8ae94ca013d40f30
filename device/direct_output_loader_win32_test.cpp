// The library's path from the registry, where the loader looks for it: from
// HKEY_LOCAL_MACHINE, redirected for the test to a key of its own, so that
// the vendor's real entry is never touched.
#include <gtest/gtest.h>
#include <malloc.h>
#include <windows.h>

#include <memory>
#include <string>

#include "device/direct_output_loader.h"
#include "platform/win32/local_machine_override.h"

namespace {

const wchar_t kKey[] = L"SOFTWARE\\Saitek\\DirectOutput";
const wchar_t kValue[] = L"DirectOutputX86";

class LoaderRegistryWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(override_.active()) << "HKEY_LOCAL_MACHINE cannot be redirected";
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                  nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }

    void store(DWORD type, const std::string& bytes) {
        ASSERT_EQ(RegSetValueExW(key_, kValue, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }

    platform::LocalMachineOverride override_;
    HKEY key_ = nullptr;
};

// The characters before the first zero within the block that was allocated
// for `path`, or -1 when the block holds no zero and a reader would run past
// it. The block comes from the C runtime's malloc, which knows its size.
long terminatedLength(const wchar_t* path) {
    const size_t room = _msize(const_cast<wchar_t*>(path)) / sizeof(wchar_t);
    for (size_t i = 0; i < room; ++i) {
        if (path[i] == L'\0') {
            return static_cast<long>(i);
        }
    }
    return -1;
}

TEST_F(LoaderRegistryWindows, AnyByteCountGivesATerminatedPath) {
    const struct {
        const char* name;
        DWORD type;
        std::string bytes;
        std::wstring path;
    } cases[] = {
        // Three characters and half of a fourth.
        {"REG_BINARY of 7 bytes", REG_BINARY, std::string("C\0:\0\\\0X", 7), L"C:\\X"},
        // Text written with an odd length: without its terminator, and with
        // half of it.
        {"REG_SZ of 9 bytes", REG_SZ, std::string("D\0:\0\\\0d\0l", 9), L"D:\\dl"},
        {"REG_SZ of 11 bytes", REG_SZ, std::string("a\0.\0d\0l\0l\0\0", 11), L"a.dll"},
        // The usual case: the text and its terminator.
        {"REG_SZ of 12 bytes", REG_SZ, std::string("a\0.\0d\0l\0l\0\0\0", 12), L"a.dll"},
        {"REG_BINARY of 1 byte", REG_BINARY, std::string("Z", 1), L"Z"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        store(c.type, c.bytes);
        std::unique_ptr<wchar_t[]> path;
        ASSERT_TRUE(DirectOutputLoader::GetDirectOutputFileName(path));
        ASSERT_EQ(terminatedLength(path.get()), static_cast<long>(c.path.size()));
        EXPECT_EQ(std::wstring(path.get()), c.path);
    }
}

}  // namespace
