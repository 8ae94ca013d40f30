#pragma once

// The interface of the display vendor's run-time library, as this program
// uses it. The program never links against the library: it binds these
// entry points by name at run time (DirectOutputLoader). A library that plays
// the vendor's (the virtual display in tools/) defines DIRECTOUTPUT_EXPORTS
// and implements exactly these declarations.

#include <cstddef>
#include <cstdint>

// The vendor's library for 32-bit Windows uses the WINAPI convention for its
// entry points and for the callbacks it calls; elsewhere there is only one.
#if defined(_WIN32) && !defined(_WIN64)
#define DIRECTOUTPUT_CALL __stdcall
#else
#define DIRECTOUTPUT_CALL
#endif

#if defined(DIRECTOUTPUT_EXPORTS) && defined(_WIN32)
#define DIRECTOUTPUT_API __declspec(dllexport)
#elif defined(DIRECTOUTPUT_EXPORTS)
#define DIRECTOUTPUT_API __attribute__((visibility("default")))
#else
#define DIRECTOUTPUT_API
#endif

// Results are Windows result codes (HRESULT): negative means failure. Where
// <windows.h> is in sight it already defines E_NOTIMPL, with the same value.
#if !defined(E_NOTIMPL)
constexpr int32_t E_NOTIMPL = static_cast<int32_t>(0x80004001u);
#endif

// Called by the library for each device that arrives (added true) or leaves.
using DirectOutputDeviceChangeCallback = void(DIRECTOUTPUT_CALL*)(void* device, bool added,
                                                                  void* context);
// Called when a soft button's state changes; `buttons` holds one bit per button.
using DirectOutputSoftButtonCallback = void(DIRECTOUTPUT_CALL*)(void* device, uint32_t buttons,
                                                                void* context);
// Called when the device shows another page (activated true) or leaves one.
using DirectOutputPageChangeCallback = void(DIRECTOUTPUT_CALL*)(void* device, uint32_t page,
                                                                bool activated, void* context);

extern "C" {

// The entry points this program calls.
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_Initialize(const wchar_t* applicationName);
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL
DirectOutput_RegisterDeviceChangeCallback(DirectOutputDeviceChangeCallback callback, void* context);
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_Enumerate();
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_AddPage(void* device, uint32_t page,
                                                                const wchar_t* name,
                                                                uint32_t flags);
// `text` holds `length` wide characters; it need not be terminated.
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_SetString(void* device, uint32_t page,
                                                                  uint32_t line, uint32_t length,
                                                                  const wchar_t* text);

// Entry points that are bound with the others but never called.
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_Deinitialize();
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_GetDeviceType(void* device, void* typeGuid);
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_GetDeviceInstance(void* device,
                                                                          void* instanceGuid);
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_RegisterSoftButtonChangeCallback(
    void* device, DirectOutputSoftButtonCallback callback, void* context);
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_RegisterPageChangeCallback(
    void* device, DirectOutputPageChangeCallback callback, void* context);
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_RemovePage(void* device, uint32_t page);
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_SetLed(void* device, uint32_t page,
                                                               uint32_t index, uint32_t value);
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_SetImage(void* device, uint32_t page,
                                                                 uint32_t index, uint32_t size,
                                                                 const void* image);
DIRECTOUTPUT_API int32_t DIRECTOUTPUT_CALL DirectOutput_SetProfile(void* device, uint32_t length,
                                                                   const wchar_t* fileName);

}  // extern "C"

// The fourteen entry points by name, in the order of the declarations above,
// those that the program calls first: the one list of them, which the loader
// binds, the virtual display's tests check its exports against, and the
// preview's check and the package check read.
enum class DirectOutputEntry : size_t {
    Initialize,
    RegisterDeviceChangeCallback,
    Enumerate,
    AddPage,
    SetString,
    Deinitialize,
    GetDeviceType,
    GetDeviceInstance,
    RegisterSoftButtonChangeCallback,
    RegisterPageChangeCallback,
    RemovePage,
    SetLed,
    SetImage,
    SetProfile,
};
constexpr const char* kDirectOutputEntryPoints[] = {
    "DirectOutput_Initialize",
    "DirectOutput_RegisterDeviceChangeCallback",
    "DirectOutput_Enumerate",
    "DirectOutput_AddPage",
    "DirectOutput_SetString",
    "DirectOutput_Deinitialize",
    "DirectOutput_GetDeviceType",
    "DirectOutput_GetDeviceInstance",
    "DirectOutput_RegisterSoftButtonChangeCallback",
    "DirectOutput_RegisterPageChangeCallback",
    "DirectOutput_RemovePage",
    "DirectOutput_SetLed",
    "DirectOutput_SetImage",
    "DirectOutput_SetProfile",
};
constexpr size_t kDirectOutputEntryPointCount = 14;
constexpr size_t kCalledEntryPointCount = 5;  // Initialize to SetString
static_assert(sizeof kDirectOutputEntryPoints / sizeof kDirectOutputEntryPoints[0] ==
              kDirectOutputEntryPointCount);

constexpr const char* entryPointName(DirectOutputEntry entry) {
    return kDirectOutputEntryPoints[static_cast<size_t>(entry)];
}

// Pointer types of the fourteen entry points, for binding them by name.
using DirectOutputInitializeFn = decltype(&DirectOutput_Initialize);
using DirectOutputDeinitializeFn = decltype(&DirectOutput_Deinitialize);
using DirectOutputRegisterDeviceChangeCallbackFn =
    decltype(&DirectOutput_RegisterDeviceChangeCallback);
using DirectOutputEnumerateFn = decltype(&DirectOutput_Enumerate);
using DirectOutputGetDeviceTypeFn = decltype(&DirectOutput_GetDeviceType);
using DirectOutputGetDeviceInstanceFn = decltype(&DirectOutput_GetDeviceInstance);
using DirectOutputRegisterSoftButtonChangeCallbackFn =
    decltype(&DirectOutput_RegisterSoftButtonChangeCallback);
using DirectOutputRegisterPageChangeCallbackFn = decltype(&DirectOutput_RegisterPageChangeCallback);
using DirectOutputAddPageFn = decltype(&DirectOutput_AddPage);
using DirectOutputRemovePageFn = decltype(&DirectOutput_RemovePage);
using DirectOutputSetLedFn = decltype(&DirectOutput_SetLed);
using DirectOutputSetStringFn = decltype(&DirectOutput_SetString);
using DirectOutputSetImageFn = decltype(&DirectOutput_SetImage);
using DirectOutputSetProfileFn = decltype(&DirectOutput_SetProfile);
