#include <windows.h>

#include <optional>

#include "platform/utf8.h"
#include "tests/support/registry_entry.h"

namespace testsupport {
namespace {

const wchar_t kKey[] = L"SOFTWARE\\Saitek\\DirectOutput";
const wchar_t kValue[] = L"DirectOutputX86";
// Another test's entry is held for as long as that test runs.
constexpr DWORD kMutexWaitMs = 120000;

std::optional<std::wstring> readValue() {
    wchar_t text[MAX_PATH * 4];
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kValue, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

// Stores `text` with its terminating zero, as installers do, or removes the
// value when there is none.
void writeValue(const std::optional<std::wstring>& text) {
    if (!text) {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, kValue);
        return;
    }
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                       static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

}  // namespace

struct RegistryEntry::Saved {
    HANDLE mutex = nullptr;
    std::optional<std::wstring> before;
};

RegistryEntry::RegistryEntry(const std::string&, const std::string& library)
    : saved_(std::make_unique<Saved>()) {
    saved_->mutex = CreateMutexW(nullptr, FALSE, L"flightmfd-test-registry-entry");
    // An abandoned mutex is ours too: the test that held it died.
    WaitForSingleObject(saved_->mutex, kMutexWaitMs);
    saved_->before = readValue();
    writeValue(library.empty() ? std::nullopt
                               : std::optional<std::wstring>(platform::fromUtf8(
                                     library.data(), library.size(),
                                     [](unsigned char byte) { return wchar_t(byte); })));
}

RegistryEntry::~RegistryEntry() {
    writeValue(saved_->before);
    ReleaseMutex(saved_->mutex);
    CloseHandle(saved_->mutex);
}

}  // namespace testsupport
