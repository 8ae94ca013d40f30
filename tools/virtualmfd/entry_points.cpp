// The fourteen entry points of the display vendor's library, played by one
// virtual device. The device lives as long as the library stays loaded; when
// the library is unloaded its destructor stops the threads it started.
#include "device/direct_output.h"
#include "tools/virtualmfd/virtual_device.h"

namespace {

virtualmfd::VirtualDevice device;

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
    return device.recordOnly("GetDeviceType");
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_GetDeviceInstance(void*, void*) {
    return device.recordOnly("GetDeviceInstance");
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL
DirectOutput_RegisterSoftButtonChangeCallback(void*, DirectOutputSoftButtonCallback, void*) {
    return device.recordOnly("RegisterSoftButtonChangeCallback");
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL
DirectOutput_RegisterPageChangeCallback(void*, DirectOutputPageChangeCallback, void*) {
    return device.recordOnly("RegisterPageChangeCallback");
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_RemovePage(void*, uint32_t) {
    return device.recordOnly("RemovePage");
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_SetLed(void*, uint32_t, uint32_t,
                                                               uint32_t) {
    return device.recordOnly("SetLed");
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_SetImage(void*, uint32_t, uint32_t,
                                                                 uint32_t, const void*) {
    return device.recordOnly("SetImage");
}

DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_SetProfile(void*, uint32_t,
                                                                   const wchar_t*) {
    return device.recordOnly("SetProfile");
}

}  // extern "C"
