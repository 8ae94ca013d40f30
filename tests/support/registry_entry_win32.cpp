#include <windows.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "device/direct_output_loader.h"
#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/utf8.h"
#include "tests/support/registry_entry.h"

namespace testsupport {
namespace {

// Another test's entry is held for as long as that test runs.
constexpr DWORD kMutexWaitMs = 120000;

std::string where() {
    return "the value " + platform::toUtf8(kDirectOutputValue) + " of HKEY_LOCAL_MACHINE\\" +
           platform::toUtf8(kDirectOutputKey);
}

std::string failed(const std::string& what, unsigned long error) {
    return what + " (error " + std::to_string(error) + ")";
}

// UTF-8 text as the bytes of a REG_SZ.
std::string wideBytes(const std::string& utf8) {
    const std::wstring text = platform::fromUtf8(utf8.data(), utf8.size(), platform::codePageChar);
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// The value's bytes, terminating zero included, into *bytes, or nothing there
// when neither the key nor the value is. Only "not found" is absence: a
// value of another type (REG_EXPAND_SZ too, which would come back expanded
// and as REG_SZ), or one that cannot be read, is an error, and then the
// value is someone's that must stay. The buffer grows as the registry asks,
// with room for the zero that a text stored without one gets.
LSTATUS readValue(std::optional<std::string>* bytes) {
    std::string buffer(sizeof(wchar_t), '\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const LSTATUS status =
            RegGetValueW(HKEY_LOCAL_MACHINE, kDirectOutputKey, kDirectOutputValue,
                         RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, &buffer[0], &size);
        if (status == ERROR_SUCCESS) {
            *bytes = buffer.substr(0, size);
            return status;
        }
        if (status != ERROR_MORE_DATA) {
            bytes->reset();
            return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
        }
        buffer.resize(size + sizeof(wchar_t));
    }
}

// Stores `bytes` as a value of `type`, making the key if need be, or removes
// the value when there are none.
LSTATUS writeValue(const std::optional<std::string>& bytes, DWORD type = REG_SZ) {
    if (!bytes) {
        const LSTATUS status =
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kDirectOutputKey, kDirectOutputValue);
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    // Windows stores a text's terminating zero that the count leaves out when
    // one follows the text in memory; what follows here is not zero.
    const std::string followed = *bytes + "\x01\x01";
    HKEY key;
    LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kDirectOutputKey, 0, nullptr, 0,
                                     KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(key, kDirectOutputValue, 0, type,
                                reinterpret_cast<const BYTE*>(followed.data()),
                                static_cast<DWORD>(bytes->size()));
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
    const LSTATUS status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &keys, nullptr, nullptr,
                                            &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && keys == 0 && values == 0) {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
    }
}

}  // namespace

std::string registryOffLimits() {
    // Wine's ntdll tells its version; Windows' has no such export.
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr ||
        platform::environmentVariable("FLIGHTMFD_TESTS_WRITE_REGISTRY") == L"1") {
        return "";
    }
    return "this is a real Windows machine, whose registry is its owner's: a test writes it only "
           "when FLIGHTMFD_TESTS_WRITE_REGISTRY=1 allows it";
}

struct RegistryEntry::Saved {
    // The started programs' registry: the mutex had, the keys made and the
    // value read, to come back at the end. "" once held, or why not.
    std::string hold();
    // This process's own registry; "" once HKEY_LOCAL_MACHINE is redirected.
    std::string redirect();
    ~Saved();

    HANDLE mutex = nullptr;
    bool owned = false;              // the mutex is ours until the end
    bool restore = false;            // the value was read: it comes back at the end
    std::vector<std::wstring> made;  // the keys that were not there, the deepest first
    std::optional<std::string> before;
    std::wstring ownPath;  // the key that HKEY_LOCAL_MACHINE stands for
    HKEY own = nullptr;
    bool redirected = false;
};

std::string RegistryEntry::Saved::hold() {
    mutex = CreateMutexW(nullptr, FALSE, L"flightmfd-test-registry-entry");
    // An abandoned mutex is ours too: the test that held it died.
    const DWORD wait = mutex != nullptr ? WaitForSingleObject(mutex, kMutexWaitMs) : WAIT_FAILED;
    if (wait == WAIT_TIMEOUT) {
        return "another test has held the registry's entry for two minutes";
    }
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        return failed("cannot have the mutex of the registry's entry", GetLastError());
    }
    owned = true;
    for (std::wstring key = kDirectOutputKey; key.find(L'\\') != std::wstring::npos;
         key.resize(key.rfind(L'\\'))) {
        if (!keyThere(key.c_str())) {
            made.push_back(key);
        }
    }
    const LSTATUS status = readValue(&before);
    restore = status == ERROR_SUCCESS;
    return restore ? "" : failed("cannot read " + where() + ", which stays as it is", status);
}

std::string RegistryEntry::Saved::redirect() {
    // A run killed midway leaves only this key behind, and the next run of
    // the same process id starts it afresh.
    ownPath = L"Software\\flightmfd-test-" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, ownPath.c_str());
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, ownPath.c_str(), 0, nullptr, 0,
                                     KEY_ALL_ACCESS, nullptr, &own, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegOverridePredefKey(HKEY_LOCAL_MACHINE, own);
    }
    redirected = status == ERROR_SUCCESS;
    return redirected ? "" : failed("cannot redirect HKEY_LOCAL_MACHINE", status);
}

RegistryEntry::Saved::~Saved() {
    if (restore) {
        const LSTATUS status = writeValue(before);
        if (status != ERROR_SUCCESS) {
            std::fprintf(stderr, "%s\n", failed("cannot put back " + where(), status).c_str());
        }
        for (const std::wstring& key : made) {
            removeIfEmpty(key.c_str());
        }
    }
    if (owned) {
        ReleaseMutex(mutex);
    }
    if (mutex != nullptr) {
        CloseHandle(mutex);
    }
    if (redirected) {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    }
    if (own != nullptr) {
        RegCloseKey(own);
        RegDeleteTreeW(HKEY_CURRENT_USER, ownPath.c_str());
    }
}

RegistryEntry::RegistryEntry(const std::string&, const std::string& library, Reader reader)
    : saved_(std::make_unique<Saved>()), notHeld_(registryOffLimits()) {
    if (notHeld_.empty()) {
        notHeld_ = reader == Reader::kThisProcess ? saved_->redirect() : saved_->hold();
    }
    if (notHeld_.empty()) {
        // With its terminating zero, as installers store it.
        const auto value =
            library.empty() ? std::nullopt : std::optional(wideBytes(library + '\0'));
        if (const LSTATUS status = writeValue(value); status != ERROR_SUCCESS) {
            notHeld_ = failed("cannot write " + where(), status);
        }
    }
}

RegistryEntry::~RegistryEntry() = default;

void RegistryEntry::storeText(const std::string& text) {
    storeBytes(wideBytes(text), false);
}

void RegistryEntry::storeBytes(const std::string& bytes, bool binary) {
    if (notHeld_.empty()) {
        writeValue(bytes, binary ? REG_BINARY : REG_SZ);
    }
}

void RegistryEntry::remove(bool keepKey) {
    if (!notHeld_.empty()) {
        return;
    }
    writeValue(std::nullopt);
    HKEY key;
    if (keepKey && RegCreateKeyExW(HKEY_LOCAL_MACHINE, kDirectOutputKey, 0, nullptr, 0,
                                   KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        RegCloseKey(key);
    } else if (!keepKey && saved_->redirected) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kDirectOutputKey);
    }
}

}  // namespace testsupport
