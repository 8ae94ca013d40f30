#pragma once

#include <windows.h>

#include <string>

namespace platform {

// For tests: while an object lives, HKEY_LOCAL_MACHINE is, for this process
// alone, a fresh key of the test's own under HKEY_CURRENT_USER. A test that
// writes there never touches the machine's real entries, the display vendor's
// among them; a run killed midway leaves only that key behind. One at a time.
class LocalMachineOverride {
  public:
    LocalMachineOverride()
        : path_(L"Software\\flightmfd-test-" + std::to_wstring(GetCurrentProcessId())) {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        active_ = RegOverridePredefKey(HKEY_LOCAL_MACHINE, key_) == ERROR_SUCCESS;
    }
    ~LocalMachineOverride() {
        if (active_) {
            RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        }
        if (key_ != nullptr) {
            RegCloseKey(key_);
            RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        }
    }
    LocalMachineOverride(const LocalMachineOverride&) = delete;
    LocalMachineOverride& operator=(const LocalMachineOverride&) = delete;

    // False when HKEY_LOCAL_MACHINE could not be redirected: a test must then
    // write nothing there.
    bool active() const { return active_; }

  private:
    std::wstring path_;
    HKEY key_ = nullptr;
    bool active_ = false;
};

}  // namespace platform
