#include "platform/registry.h"

#include <windows.h>

#include "platform/utf8.h"

namespace platform {

bool RegistryKey::open(const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    impl_ = key;
    return true;
}

bool RegistryKey::queryValue(const wchar_t* name, wchar_t* buffer, uint32_t* sizeBytes) {
    if (impl_ == nullptr) {
        return false;
    }
    // The stored bytes are returned as they are: a text value written with
    // its terminating zero counts those two bytes too. A value larger than
    // the room fails with ERROR_MORE_DATA and stores nothing usable.
    DWORD size = *sizeBytes;
    LONG result = RegQueryValueExW(static_cast<HKEY>(impl_), name, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(buffer), &size);
    if (result != ERROR_SUCCESS) {
        return false;
    }
    *sizeBytes = size;
    return true;
}

void RegistryKey::close() {
    if (impl_ != nullptr) {
        RegCloseKey(static_cast<HKEY>(impl_));
        impl_ = nullptr;
    }
}

std::string registryValueLocation(const wchar_t* path, const wchar_t* name) {
    const std::string key = "HKEY_LOCAL_MACHINE\\" + toUtf8(path);
    std::string location = "the value " + toUtf8(name) + " of " + key;
    if (sizeof(void*) == 8) {
        return location + " (the 64-bit view of the registry)";
    }
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) {
        return location;  // 32-bit Windows has one view only
    }
    // regedit shows the 32-bit view of SOFTWARE\X under SOFTWARE\WOW6432Node\X.
    std::string shown = key;
    const std::string software = "HKEY_LOCAL_MACHINE\\SOFTWARE\\";
    if (shown.compare(0, software.size(), software) == 0) {
        shown.insert(software.size(), "WOW6432Node\\");
    }
    return location + " in the 32-bit view of the registry (in regedit: " + shown + ")";
}

}  // namespace platform
