#include "device/direct_output_loader.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform/debug_output.h"
#include "platform/environment.h"
#include "platform/registry.h"

namespace {

// Room for 4095 characters: one less than the buffer, so that the text read
// always ends with a zero.
constexpr size_t kBufferChars = 4096;
constexpr uint32_t kBufferRoom = (kBufferChars - 1) * sizeof(wchar_t);

// A non-empty FLIGHTMFD_DISPLAY_LIBRARY names the library in place of the
// registry value, so that another library (the virtual display) can be tried
// without an administrator and without touching the vendor's entry.
bool chosenLibrary(std::unique_ptr<wchar_t[]>& path) {
    std::wstring chosen = displayLibraryVariable();
    if (chosen.empty()) {
        return false;
    }
    path.reset(new wchar_t[chosen.size() + 1]());
    chosen.copy(path.get(), chosen.size());
    return true;
}

}  // namespace

std::wstring displayLibraryVariable(bool* quoted) {
    std::wstring value = platform::environmentVariable(kDisplayLibraryVariable);
    const size_t first = value.find_first_not_of(L" \t");
    const size_t last = value.find_last_not_of(L" \t");
    const bool inQuotes =
        first != std::wstring::npos && last > first && value[first] == L'"' && value[last] == L'"';
    if (quoted != nullptr) {
        *quoted = inQuotes;
    }
    return inQuotes ? value.substr(first + 1, last - first - 1) : value;
}

DirectOutputLoader::DirectOutputLoader() {
    std::unique_ptr<wchar_t[]> wszFilename;
    if (!chosenLibrary(wszFilename) && !GetDirectOutputFileName(wszFilename)) {
        platform::debugOutput(L"GetDirectOutputFileName failed\n");
        return;
    }
    platform::debugOutput(L"DirectOutput.dll filename : ");
    platform::debugOutput(wszFilename.get());
    platform::debugOutput(L"\n");
    module = platform::loadLibrary(wszFilename.get());
    if (module == nullptr) {
        platform::debugOutput(L"LoadLibrary failed\n");
        return;
    }
    for (size_t i = 0; i < kDirectOutputEntryPointCount; ++i) {
        entryPoints[i] = platform::findSymbol(module, kDirectOutputEntryPoints[i]);
    }
}

DirectOutputLoader::~DirectOutputLoader() {
    if (module != nullptr) {
        platform::freeLibrary(module);
        module = nullptr;
    }
}

bool DirectOutputLoader::GetDirectOutputFileName(std::unique_ptr<wchar_t[]>& path) {
    platform::RegistryKey key;
    if (!key.open(kDirectOutputKey)) {
        return false;
    }
    std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[kBufferChars]());
    uint32_t size = kBufferRoom;
    bool result = false;
    if (buffer != nullptr && key.queryValue(kDirectOutputValue, buffer.get(), &size)) {
        // Zero-filled and one character longer than the value, so the copy is
        // terminated even when the stored value was not. An odd byte count
        // (a REG_BINARY, or text stored with an odd length) is rounded up, so
        // that its last half character is not taken for the terminator's room.
        const size_t characters = (size + sizeof(wchar_t) - 1) / sizeof(wchar_t);
        std::unique_ptr<wchar_t[]> copy(new (std::nothrow) wchar_t[characters + 1]());
        if (copy != nullptr) {
            std::memcpy(copy.get(), buffer.get(), size);
            path = std::move(copy);
            result = true;
        }
    }
    key.close();
    return result;
}

void DirectOutputLoader::reportResult(int32_t result, const char* operation) {
    if (result >= 0) {
        return;
    }
    // Bounded: an operation name of any length cannot overrun the buffer.
    char tszBuf[1024] = {};
    std::snprintf(tszBuf, sizeof tszBuf, "%s returned hr = %08X\n", operation,
                  static_cast<unsigned int>(static_cast<uint32_t>(result)));
    platform::debugOutput(tszBuf);
}

int32_t DirectOutputLoader::Initialize(const wchar_t* applicationName) const {
    const auto DirectOutput_Initialize =
        entry<DirectOutputInitializeFn>(DirectOutputEntry::Initialize);
    if (module == nullptr || DirectOutput_Initialize == nullptr) {
        return E_NOTIMPL;
    }
    return DirectOutput_Initialize(applicationName);
}

int32_t DirectOutputLoader::RegisterDeviceChangeCallback(DirectOutputDeviceChangeCallback callback,
                                                         void* context) const {
    const auto DirectOutput_RegisterDeviceChangeCallback =
        entry<DirectOutputRegisterDeviceChangeCallbackFn>(
            DirectOutputEntry::RegisterDeviceChangeCallback);
    if (module == nullptr || DirectOutput_RegisterDeviceChangeCallback == nullptr) {
        return E_NOTIMPL;
    }
    return DirectOutput_RegisterDeviceChangeCallback(callback, context);
}

int32_t DirectOutputLoader::Enumerate() const {
    const auto DirectOutput_Enumerate =
        entry<DirectOutputEnumerateFn>(DirectOutputEntry::Enumerate);
    if (module == nullptr || DirectOutput_Enumerate == nullptr) {
        return E_NOTIMPL;
    }
    return DirectOutput_Enumerate();
}

int32_t DirectOutputLoader::AddPage(void* device, uint32_t page, const wchar_t* name,
                                    uint32_t flags) const {
    const auto DirectOutput_AddPage = entry<DirectOutputAddPageFn>(DirectOutputEntry::AddPage);
    if (module == nullptr || DirectOutput_AddPage == nullptr) {
        return E_NOTIMPL;
    }
    return DirectOutput_AddPage(device, page, name, flags);
}

int32_t DirectOutputLoader::SetString(void* device, uint32_t page, uint32_t line, uint32_t length,
                                      const wchar_t* text) const {
    const auto DirectOutput_SetString =
        entry<DirectOutputSetStringFn>(DirectOutputEntry::SetString);
    if (module == nullptr || DirectOutput_SetString == nullptr) {
        return E_NOTIMPL;
    }
    return DirectOutput_SetString(device, page, line, length, text);
}
