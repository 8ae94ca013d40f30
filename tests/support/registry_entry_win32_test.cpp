#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/direct_output_loader.h"
#include "tests/support/files.h"
#include "tests/support/registry_entry.h"

namespace testsupport {
namespace {

const wchar_t* const kKey = kDirectOutputKey;
const wchar_t* const kValue = kDirectOutputValue;
const std::wstring kParentKey(kKey, std::wstring(kKey).rfind(L'\\'));

// A registry value as it is stored: its type and bytes.
using Stored = std::pair<DWORD, std::vector<BYTE>>;

Stored text(DWORD type, const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {type, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

std::optional<Stored> stored() {
    Stored value{0, std::vector<BYTE>(16384)};
    DWORD size = static_cast<DWORD>(value.second.size());
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kValue, RRF_RT_ANY | RRF_NOEXPAND, &value.first,
                     value.second.data(), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.second.resize(size);
    return value;
}

void store(const std::optional<Stored>& value) {
    if (!value) {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, kValue);
        return;
    }
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, kValue, 0, value->first, value->second.data(),
                   static_cast<DWORD>(value->second.size()));
    RegCloseKey(key);
}

bool keyThere(const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Each row's value is the machine's as the entry finds it: a path is put
// back whole, and a value that the entry does not take for a path stays as
// it is, with the entry not held.
TEST(RegistryEntryWindows, PutsBackWhatItChangedAndLeavesAloneWhatItCannotRead) {
    const std::wstring longPath = L"C:\\" + std::wstring(2000, L'd') + L"\\DirectOutput.dll";
    const struct {
        const char* label;
        std::optional<Stored> before;
        bool held;
    } cases[] = {
        {"no value, and the keys made go again", std::nullopt, true},
        {"a path longer than 1,040 characters", text(REG_SZ, longPath), true},
        {"a number", Stored{REG_DWORD, {7, 0, 0, 0}}, false},
        {"a path to expand", text(REG_EXPAND_SZ, L"%ProgramFiles%\\DirectOutput.dll"), false},
    };
    TempFolder folder;
    const bool parentThere = keyThere(kParentKey.c_str());
    {
        // The machine's own entry, put back at the end; the rows' entries
        // nest in it, as the mutex is the thread's own.
        const RegistryEntry machine(folder.path(), "");
        if (!machine.notHeld().empty()) {
            GTEST_SKIP() << machine.notHeld();
        }
        for (const auto& c : cases) {
            store(c.before);
            const bool keysThere = keyThere(kParentKey.c_str());
            {
                const RegistryEntry entry(folder.path(), "C:\\test\\display.dll");
                EXPECT_EQ(entry.notHeld().empty(), c.held) << c.label << ": " << entry.notHeld();
                EXPECT_EQ(stored(), c.held ? text(REG_SZ, L"C:\\test\\display.dll") : c.before)
                    << c.label;
            }
            EXPECT_EQ(stored(), c.before) << c.label;
            EXPECT_EQ(keyThere(kParentKey.c_str()), keysThere) << c.label;
            store(std::nullopt);
        }
    }
    EXPECT_EQ(keyThere(kParentKey.c_str()), parentThere);
}

// This process's own registry keeps the machine's keys out of reach, and goes
// at the end.
TEST(RegistryEntryWindows, ThisProcessAloneWritesAKeyOfItsOwn) {
    const wchar_t path[] = L"SOFTWARE\\flightmfd-own-check";
    {
        const RegistryEntry own("", "", RegistryEntry::Reader::kThisProcess);
        if (!own.notHeld().empty()) {
            GTEST_SKIP() << own.notHeld();
        }
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    EXPECT_FALSE(keyThere(path));
}

}  // namespace
}  // namespace testsupport
