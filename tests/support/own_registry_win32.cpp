#include <windows.h>

#include "device/direct_output_loader.h"
#include "platform/code_page.h"
#include "platform/utf8.h"
#include "platform/win32/local_machine_override.h"
#include "tests/support/own_registry.h"

namespace testsupport {

struct OwnRegistry::State {
    platform::LocalMachineOverride override;
};

OwnRegistry::OwnRegistry() : state_(std::make_unique<State>()) {}

OwnRegistry::~OwnRegistry() = default;

std::string OwnRegistry::unavailable() const {
    return state_->override.active() ? "" : "HKEY_LOCAL_MACHINE cannot be redirected";
}

void OwnRegistry::storeText(const std::string& text) {
    const std::wstring wide = platform::fromUtf8(text.data(), text.size(), platform::codePageChar);
    storeBytes(
        std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)),
        false);
}

void OwnRegistry::storeBytes(const std::string& bytes, bool binary) {
    // Windows stores a text's terminating zero that the count leaves out when
    // one follows the text in memory; what follows here is not zero.
    const std::string followed = bytes + "\x01\x01";
    HKEY key;
    if (unavailable().empty() &&
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kDirectOutputKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, kDirectOutputValue, 0, binary ? REG_BINARY : REG_SZ,
                       reinterpret_cast<const BYTE*>(followed.data()),
                       static_cast<DWORD>(bytes.size()));
        RegCloseKey(key);
    }
}

void OwnRegistry::remove(bool keepKey) {
    if (!unavailable().empty()) {
        return;
    }
    if (keepKey) {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kDirectOutputKey, kDirectOutputValue);
    } else {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kDirectOutputKey);
    }
}

}  // namespace testsupport
