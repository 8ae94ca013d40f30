#include "platform/registry.h"

#include <windows.h>

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

}  // namespace platform
