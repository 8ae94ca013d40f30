#include <windows.h>

#include <cstdio>
#include <optional>

#include "device/direct_output_loader.h"
#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/utf8.h"
#include "tests/support/registry_entry.h"

namespace testsupport {
namespace {

// Another test's entry is held for as long as that test runs.
constexpr DWORD kMutexWaitMs = 120000;

// The key above the entry's, which the entry may have to make as well.
std::wstring parentKey() {
    const std::wstring key = kDirectOutputKey;
    return key.substr(0, key.rfind(L'\\'));
}

std::string where() {
    return "the value " + platform::toUtf8(kDirectOutputValue) + " of HKEY_LOCAL_MACHINE\\" +
           platform::toUtf8(kDirectOutputKey);
}

// Wine's ntdll tells its version; Windows' has no such export.
bool underWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::string failed(const std::string& what, unsigned long error) {
    return what + " (error " + std::to_string(error) + ")";
}

// The text's bytes, with its terminating zero as installers store it.
std::string installed(const std::string& utf8) {
    const std::wstring text =
        platform::fromUtf8(utf8.data(), utf8.size(), platform::codePageChar) + L'\0';
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// The value's bytes, terminating zero included, into *bytes, or nothing there
// when neither the key nor the value is. Only "not found" is absence: a
// value of another type (REG_EXPAND_SZ too, which would come back expanded
// and as REG_SZ), or one that cannot be read, is an error, and then the
// value is someone's that must stay. Sized by asking first, so that a long
// path is kept whole; it may grow between the calls.
LSTATUS readValue(std::optional<std::string>* bytes) {
    const DWORD plainText = RRF_RT_REG_SZ | RRF_NOEXPAND;
    DWORD size = 0;
    LSTATUS status = RegGetValueW(HKEY_LOCAL_MACHINE, kDirectOutputKey, kDirectOutputValue,
                                  plainText, nullptr, nullptr, &size);
    while (status == ERROR_SUCCESS) {
        std::string buffer(size + sizeof(wchar_t), '\0');
        size = static_cast<DWORD>(buffer.size());
        status = RegGetValueW(HKEY_LOCAL_MACHINE, kDirectOutputKey, kDirectOutputValue, plainText,
                              nullptr, &buffer[0], &size);
        if (status == ERROR_SUCCESS) {
            buffer.resize(size);
            *bytes = buffer;
            return ERROR_SUCCESS;
        }
        if (status == ERROR_MORE_DATA) {
            status = ERROR_SUCCESS;
        }
    }
    if (status == ERROR_FILE_NOT_FOUND) {
        bytes->reset();
        return ERROR_SUCCESS;
    }
    return status;
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
    // The started programs' registry.
    HANDLE mutex = nullptr;
    bool owned = false;    // the mutex is ours until the end
    bool restore = false;  // the value was read: it comes back at the end
    // Whether the parent key and the key were there before; those that were
    // not go again at the end.
    bool parentThere = true;
    bool keyThere = true;
    std::optional<std::string> before;
    // This process's own: the key that HKEY_LOCAL_MACHINE stands for.
    std::wstring ownPath;
    HKEY own = nullptr;
    bool redirected = false;
};

RegistryEntry::RegistryEntry(const std::string&, const std::string& library, Reader reader)
    : saved_(std::make_unique<Saved>()), notHeld_(registryOffLimits()) {
    if (!notHeld_.empty()) {
        return;
    }
    if (reader == Reader::kThisProcess) {
        // A run killed midway leaves only this key behind, and the next run
        // of the same process id starts it afresh.
        saved_->ownPath = L"Software\\flightmfd-test-" + std::to_wstring(GetCurrentProcessId());
        RegDeleteTreeW(HKEY_CURRENT_USER, saved_->ownPath.c_str());
        LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, saved_->ownPath.c_str(), 0, nullptr, 0,
                                         KEY_ALL_ACCESS, nullptr, &saved_->own, nullptr);
        if (status == ERROR_SUCCESS) {
            status = RegOverridePredefKey(HKEY_LOCAL_MACHINE, saved_->own);
        }
        saved_->redirected = status == ERROR_SUCCESS;
        if (!saved_->redirected) {
            notHeld_ = failed("cannot redirect HKEY_LOCAL_MACHINE", status);
        } else if (!library.empty()) {
            writeValue(installed(library));
        }
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
    saved_->parentThere = keyThere(parentKey().c_str());
    saved_->keyThere = keyThere(kDirectOutputKey);
    LSTATUS status = readValue(&saved_->before);
    if (status != ERROR_SUCCESS) {
        notHeld_ = failed("cannot read " + where() + ", which stays as it is", status);
        return;
    }
    saved_->restore = true;
    status = writeValue(library.empty() ? std::nullopt : std::optional(installed(library)));
    if (status != ERROR_SUCCESS) {
        notHeld_ = failed("cannot write " + where(), status);
    }
}

RegistryEntry::~RegistryEntry() {
    if (saved_->restore) {
        const LSTATUS status = writeValue(saved_->before);
        if (status != ERROR_SUCCESS) {
            std::fprintf(stderr, "%s\n", failed("cannot put back " + where(), status).c_str());
        }
        if (!saved_->keyThere) {
            removeIfEmpty(kDirectOutputKey);
        }
        if (!saved_->parentThere) {
            removeIfEmpty(parentKey().c_str());
        }
    }
    if (saved_->owned) {
        ReleaseMutex(saved_->mutex);
    }
    if (saved_->mutex != nullptr) {
        CloseHandle(saved_->mutex);
    }
    if (saved_->redirected) {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    }
    if (saved_->own != nullptr) {
        RegCloseKey(saved_->own);
        RegDeleteTreeW(HKEY_CURRENT_USER, saved_->ownPath.c_str());
    }
}

void RegistryEntry::storeText(const std::string& text) {
    const std::wstring wide = platform::fromUtf8(text.data(), text.size(), platform::codePageChar);
    storeBytes(
        std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)),
        false);
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
