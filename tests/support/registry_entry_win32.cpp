#include <windows.h>

#include <cstdio>
#include <optional>

#include "platform/environment.h"
#include "platform/utf8.h"
#include "tests/support/registry_entry.h"

namespace testsupport {
namespace {

const wchar_t kParentKey[] = L"SOFTWARE\\Saitek";
const wchar_t kKey[] = L"SOFTWARE\\Saitek\\DirectOutput";
const wchar_t kValue[] = L"DirectOutputX86";
const char kWhere[] =
    "the value DirectOutputX86 of HKEY_LOCAL_MACHINE\\SOFTWARE\\Saitek\\DirectOutput";
// Another test's entry is held for as long as that test runs.
constexpr DWORD kMutexWaitMs = 120000;

// Wine's ntdll tells its version; Windows' has no such export.
bool underWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::string failed(const std::string& what, unsigned long error) {
    return what + " (error " + std::to_string(error) + ")";
}

// The value's text with its terminating zero into *text, or nothing there
// when neither the key nor the value is. Only "not found" is absence: a
// value of another type (REG_EXPAND_SZ too, which would come back expanded
// and as REG_SZ), or one that cannot be read, is an error, and then the
// value is someone's that must stay. Sized by asking first, so that a long
// path is kept whole; it may grow between the calls.
LSTATUS readValue(std::optional<std::wstring>* text) {
    const DWORD plainText = RRF_RT_REG_SZ | RRF_NOEXPAND;
    DWORD size = 0;
    LSTATUS status =
        RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kValue, plainText, nullptr, nullptr, &size);
    while (status == ERROR_SUCCESS) {
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        status =
            RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kValue, plainText, nullptr, &buffer[0], &size);
        if (status == ERROR_SUCCESS) {
            buffer.resize(size / sizeof(wchar_t));
            *text = buffer;
            return ERROR_SUCCESS;
        }
        if (status == ERROR_MORE_DATA) {
            status = ERROR_SUCCESS;
        }
    }
    if (status == ERROR_FILE_NOT_FOUND) {
        text->reset();
        return ERROR_SUCCESS;
    }
    return status;
}

// Stores `text`, terminating zero included as installers do, making the key
// if need be, or removes the value when there is none.
LSTATUS writeValue(const std::optional<std::wstring>& text) {
    if (!text) {
        const LSTATUS status = RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, kValue);
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    HKEY key;
    LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->data()),
                                static_cast<DWORD>(text->size() * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    return status;
}

// False only when the key is surely not there: only such a key may be taken
// away at the end.
bool keyThere(const wchar_t* path) {
    HKEY key;
    const LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    return status != ERROR_FILE_NOT_FOUND;
}

// Takes the key away when it holds neither keys nor values.
void removeIfEmpty(const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return;
    }
    DWORD keys = 1;
    DWORD values = 1;
    const bool empty =
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        keys == 0 && values == 0;
    RegCloseKey(key);
    if (empty) {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
    }
}

}  // namespace

std::string registryOffLimits() {
    if (underWine() || platform::environmentVariable("FLIGHTMFD_TESTS_WRITE_REGISTRY") == L"1") {
        return "";
    }
    return "this is a real Windows machine, whose registry is its owner's: a test writes it only "
           "when FLIGHTMFD_TESTS_WRITE_REGISTRY=1 allows it";
}

struct RegistryEntry::Saved {
    HANDLE mutex = nullptr;
    bool owned = false;    // the mutex is ours until the end
    bool restore = false;  // the value was read: it comes back at the end
    // Whether kParentKey and kKey were there before; those that were not go
    // again at the end.
    bool parentThere = true;
    bool keyThere = true;
    std::optional<std::wstring> before;
};

RegistryEntry::RegistryEntry(const std::string&, const std::string& library)
    : saved_(std::make_unique<Saved>()), notHeld_(registryOffLimits()) {
    if (!notHeld_.empty()) {
        return;
    }
    saved_->mutex = CreateMutexW(nullptr, FALSE, L"flightmfd-test-registry-entry");
    // An abandoned mutex is ours too: the test that held it died.
    const DWORD wait =
        saved_->mutex != nullptr ? WaitForSingleObject(saved_->mutex, kMutexWaitMs) : WAIT_FAILED;
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        notHeld_ = wait == WAIT_TIMEOUT
                       ? "another test has held the registry's entry for two minutes"
                       : failed("cannot have the mutex of the registry's entry", GetLastError());
        return;
    }
    saved_->owned = true;
    saved_->parentThere = keyThere(kParentKey);
    saved_->keyThere = keyThere(kKey);
    LSTATUS status = readValue(&saved_->before);
    if (status != ERROR_SUCCESS) {
        notHeld_ = failed(std::string("cannot read ") + kWhere + ", which stays as it is", status);
        return;
    }
    saved_->restore = true;
    std::optional<std::wstring> text;
    if (!library.empty()) {
        text = platform::fromUtf8(library.data(), library.size(),
                                  [](unsigned char byte) { return wchar_t(byte); }) +
               L'\0';
    }
    status = writeValue(text);
    if (status != ERROR_SUCCESS) {
        notHeld_ = failed(std::string("cannot write ") + kWhere, status);
    }
}

RegistryEntry::~RegistryEntry() {
    if (saved_->restore) {
        const LSTATUS status = writeValue(saved_->before);
        if (status != ERROR_SUCCESS) {
            std::fprintf(stderr, "%s\n",
                         failed(std::string("cannot put back ") + kWhere, status).c_str());
        }
        if (!saved_->keyThere) {
            removeIfEmpty(kKey);
        }
        if (!saved_->parentThere) {
            removeIfEmpty(kParentKey);
        }
    }
    if (saved_->owned) {
        ReleaseMutex(saved_->mutex);
    }
    if (saved_->mutex != nullptr) {
        CloseHandle(saved_->mutex);
    }
}

}  // namespace testsupport
