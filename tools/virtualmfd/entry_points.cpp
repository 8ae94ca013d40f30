// The fourteen entry points of the display vendor's library, played by one
// virtual device. The device lives as long as the library stays loaded; when
// the library is unloaded its destructor stops the threads it started.
#include <cstring>

#include "device/direct_output.h"
#include "tools/virtualmfd/virtual_device.h"

namespace {

virtualmfd::VirtualDevice device;

// The record names an entry point without the vendor's prefix.
int32_t recordOnly(DirectOutputEntry entry) {
    return device.recordOnly(std::strchr(entryPointName(entry), '_') + 1);
}

}  // namespace

extern "C" {

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_Initialize(const wchar_t* applicationName) {
    return device.initialize(applicationName);
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_RegisterDeviceChangeCallback(
    DirectOutputDeviceChangeCallback callback, void* context) {
    return device.registerDeviceChangeCallback(callback, context);
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_Enumerate() {
    return device.enumerate();
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_AddPage(void* handle, uint32_t page,
                                                                const wchar_t* name,
                                                                uint32_t flags) {
    return device.addPage(handle, page, name, flags);
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_SetString(void* handle, uint32_t page,
                                                                  uint32_t line, uint32_t length,
                                                                  const wchar_t* text) {
    return device.setString(handle, page, line, length, text);
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_Deinitialize() {
    return device.deinitialize();
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_GetDeviceType(void*, void*) {
    return recordOnly(DirectOutputEntry::GetDeviceType);
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_GetDeviceInstance(void*, void*) {
    return recordOnly(DirectOutputEntry::GetDeviceInstance);
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL
DirectOutput_RegisterSoftButtonChangeCallback(void*, DirectOutputSoftButtonCallback, void*) {
    return recordOnly(DirectOutputEntry::RegisterSoftButtonChangeCallback);
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL
DirectOutput_RegisterPageChangeCallback(void*, DirectOutputPageChangeCallback, void*) {
    return recordOnly(DirectOutputEntry::RegisterPageChangeCallback);
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_RemovePage(void*, uint32_t) {
    return recordOnly(DirectOutputEntry::RemovePage);
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_SetLed(void*, uint32_t, uint32_t,
                                                               uint32_t) {
    return recordOnly(DirectOutputEntry::SetLed);
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_SetImage(void*, uint32_t, uint32_t,
                                                                 uint32_t, const void*) {
    return recordOnly(DirectOutputEntry::SetImage);
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_SetProfile(void*, uint32_t,
                                                                   const wchar_t*) {
    return recordOnly(DirectOutputEntry::SetProfile);
}

}  // extern "C"
