#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "device/direct_output.h"
#include "tools/virtualmfd/frame.h"
#include "tools/virtualmfd/live_view.h"
#include "tools/virtualmfd/record.h"
#include "tools/virtualmfd/settings.h"

namespace virtualmfd {

// Result codes of the virtual display besides success and E_NOTIMPL.
constexpr int32_t kOk = 0;
constexpr int32_t kFail = static_cast<int32_t>(0x80004005u);         // E_FAIL
constexpr int32_t kBadPointer = static_cast<int32_t>(0x80004003u);   // E_POINTER
constexpr int32_t kBadHandle = static_cast<int32_t>(0x80070006u);    // E_HANDLE
constexpr int32_t kBadArgument = static_cast<int32_t>(0x80070057u);  // E_INVALIDARG

// The state behind the fourteen entry points: one device with three lines per
// page, the pages added to it and their texts, the registered device-change
// callback, the record and the live view. Like a real device that is
// unplugged, the device forgets its pages when it leaves, and it comes back
// with a handle it has not had before (0x1 first, then 0x2, ...), as a device
// that the system enumerates again would. Every entry point may be called
// from any thread; `mutex_` guards all state, and is never held while the
// callback runs, so that the callback may call back into the library. The
// device owns the replug thread and the live view, and stops both when it is
// deinitialized or unloaded. Windows unloads a library under its loader lock,
// which a thread needs to end, so there a caller deinitializes the library
// before it frees it while a thread runs; unloading would wait for good.
class VirtualDevice {
  public:
    VirtualDevice();
    ~VirtualDevice();
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;

    // Starts afresh: reads the environment again, forgets pages and callback,
    // and starts the live view and the replug thread where asked for.
    int32_t initialize(const wchar_t* applicationName);
    int32_t deinitialize();
    int32_t registerDeviceChangeCallback(DirectOutputDeviceChangeCallback callback, void* context);
    // Reports the device, when present, through the callback before it returns.
    int32_t enumerate();
    int32_t addPage(void* device, uint32_t page, const wchar_t* name, uint32_t flags);
    int32_t setString(void* device, uint32_t page, uint32_t line, uint32_t length,
                      const wchar_t* text);
    // The entry points that only record their name and succeed.
    int32_t recordOnly(const char* name);

    ViewState viewState();

  private:
    struct Page {
        std::wstring name;
        uint32_t flags = 0;
        std::array<std::wstring, 3> lines;
    };

    void startThreads();
    void stopThreads();
    void replugLoop(int seconds);
    // Plugs in a device with a new handle, or unplugs the present one (which
    // forgets its pages); records it and tells the callback. Called with
    // `lock` held; releases it around the callback.
    void reportChange(std::unique_lock<std::mutex>& lock, bool added);
    void plugIn();
    bool usable(void* device) const;
    void record(const std::string& line);
    // Records the line of a call, with its result where asked for, and
    // returns the result.
    int32_t recorded(const std::string& line, int32_t result);

    std::mutex mutex_;
    std::condition_variable wake_;  // wakes the replug thread to stop
    Settings settings_;
    Recorder recorder_;
    DirectOutputDeviceChangeCallback callback_ = nullptr;
    void* context_ = nullptr;
    void* device_ = nullptr;  // the present device's handle; null while unplugged
    uintptr_t lastHandle_ = 0;
    std::map<uint32_t, Page> pages_;
    bool stopping_ = false;
    std::thread replugThread_;
    LiveView view_;
};

}  // namespace virtualmfd
