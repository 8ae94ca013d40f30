// A display library for tests that exports five entry points: four that the
// program calls, without DirectOutput_SetString, and Deinitialize. What it
// exports answers S_FALSE (1), a success that shows the call got through, and
// it reports one device, 0x2, on Enumerate. Built with PARTIALMFD_TWO_ENTRIES,
// it exports only DirectOutput_RegisterDeviceChangeCallback and
// DirectOutput_AddPage.
#include <cstdint>

#include "device/direct_output.h"

namespace {

constexpr int32_t kCalled = 1;  // S_FALSE
DirectOutputDeviceChangeCallback registered = nullptr;
void* registeredContext = nullptr;

}  // namespace

extern "C" {

#ifndef PARTIALMFD_TWO_ENTRIES
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_Initialize(const wchar_t*) {
    return kCalled;
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_Deinitialize() {
    return kCalled;
}
#endif

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_RegisterDeviceChangeCallback(
    DirectOutputDeviceChangeCallback callback, void* context) {
    registered = callback;
    registeredContext = context;
    return kCalled;
}

#ifndef PARTIALMFD_TWO_ENTRIES
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_Enumerate() {
    if (registered != nullptr) {
        // Device handles are opaque to the program; a small number will do.
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        registered(reinterpret_cast<void*>(uintptr_t{2}), true, registeredContext);
    }
    return kCalled;
}
#endif

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_AddPage(void*, uint32_t, const wchar_t*,
                                                                uint32_t) {
    return kCalled;
}

}  // extern "C"
