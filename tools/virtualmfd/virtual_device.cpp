#include "tools/virtualmfd/virtual_device.h"

#include <chrono>
#include <string>

#include "platform/process.h"

namespace virtualmfd {
namespace {

// How long the device stays away when it is unplugged on purpose.
constexpr std::chrono::milliseconds kUnpluggedFor{500};

}  // namespace

VirtualDevice::VirtualDevice() : settings_(readSettings()) {
    recorder_.open(settings_.recordPath);
    recorder_.setTimed(settings_.recordTime);
    if (!settings_.noDevice) {
        plugIn();
    }
}

VirtualDevice::~VirtualDevice() {
    if (platform::processIsEnding()) {
        // Unloaded as the process ends (Windows, after ExitProcess): the other
        // threads were stopped wherever they were, perhaps holding `mutex_`,
        // inside a wait on `wake_` or writing the record. Touching any of
        // those could wait for good, so the device leaves all as it is.
        if (replugThread_.joinable()) {
            replugThread_.detach();
        }
        recorder_.abandon();
        return;
    }
    stopThreads();
}

int32_t VirtualDevice::initialize(const wchar_t* applicationName) {
    stopThreads();
    std::unique_lock<std::mutex> lock(mutex_);
    settings_ = readSettings();
    recorder_.open(settings_.recordPath);
    recorder_.setTimed(settings_.recordTime);
    if (settings_.failInitialize) {
        return recorded("Initialize " + quoted(applicationName), kFail);
    }
    recorded("Initialize " + quoted(applicationName), kOk);
    callback_ = nullptr;
    context_ = nullptr;
    pages_.clear();
    // The library starts afresh, and so do the handles it gives.
    device_ = nullptr;
    lastHandle_ = 0;
    if (!settings_.noDevice) {
        plugIn();
    }
    lock.unlock();
    startThreads();
    return kOk;
}

int32_t VirtualDevice::deinitialize() {
    stopThreads();
    std::lock_guard<std::mutex> lock(mutex_);
    callback_ = nullptr;
    context_ = nullptr;
    pages_.clear();
    return recorded("Deinitialize", kOk);
}

int32_t VirtualDevice::registerDeviceChangeCallback(DirectOutputDeviceChangeCallback callback,
                                                    void* context) {
    std::lock_guard<std::mutex> lock(mutex_);
    callback_ = callback;
    context_ = context;
    return recorded("RegisterDeviceChangeCallback", kOk);
}

int32_t VirtualDevice::enumerate() {
    std::unique_lock<std::mutex> lock(mutex_);
    recorded("Enumerate", kOk);
    DirectOutputDeviceChangeCallback callback = callback_;
    void* context = context_;
    void* device = device_;
    lock.unlock();
    if (device != nullptr && callback != nullptr) {
        callback(device, true, context);
    }
    return kOk;
}

int32_t VirtualDevice::addPage(void* device, uint32_t page, const wchar_t* name, uint32_t flags) {
    std::lock_guard<std::mutex> lock(mutex_);
    int32_t result = kOk;
    if (!usable(device)) {
        result = kBadHandle;
    } else if (name == nullptr) {
        result = kBadPointer;
    } else if (pages_.count(page) != 0) {
        result = kBadArgument;
    } else {
        Page& added = pages_[page];
        added.name = name;
        added.flags = flags;
    }
    if (!recorder_.active()) {
        return result;
    }
    return recorded(addPageLine(device, page, name, flags), result);
}

int32_t VirtualDevice::setString(void* device, uint32_t page, uint32_t line, uint32_t length,
                                 const wchar_t* text) {
    std::lock_guard<std::mutex> lock(mutex_);
    int32_t result = kOk;
    auto found = pages_.find(page);
    if (settings_.failSetString) {
        result = E_NOTIMPL;
    } else if (!usable(device)) {
        result = kBadHandle;
    } else if (text == nullptr && length > 0) {
        result = kBadPointer;
    } else if (found == pages_.end() || line >= found->second.lines.size()) {
        // Also a page that the device held before it was unplugged.
        result = kBadArgument;
    } else {
        found->second.lines[line].assign(text != nullptr ? text : L"", length);
    }
    // The line is built only for a record: a pass over many lines must stay cheap.
    if (!recorder_.active()) {
        return result;
    }
    return recorded(setStringLine(device, page, line, length, text), result);
}

int32_t VirtualDevice::recordOnly(const char* name) {
    std::lock_guard<std::mutex> lock(mutex_);
    return recorded(name, kOk);
}

ViewState VirtualDevice::viewState() {
    std::lock_guard<std::mutex> lock(mutex_);
    ViewState state;
    state.present = device_ != nullptr;
    for (const auto& [index, page] : pages_) {
        state.pages.push_back(PageView{page.name, page.lines});
    }
    return state;
}

void VirtualDevice::startThreads() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = false;
    if (settings_.view) {
        view_.start([this] { return viewState(); });
    }
    if (settings_.replugSeconds > 0 && !settings_.noDevice) {
        replugThread_ = std::thread(&VirtualDevice::replugLoop, this, settings_.replugSeconds);
    }
}

void VirtualDevice::stopThreads() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (replugThread_.joinable()) {
        replugThread_.join();
    }
    view_.stop();
}

void VirtualDevice::replugLoop(int seconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto stopped = [this] { return stopping_; };
    for (;;) {
        if (wake_.wait_for(lock, std::chrono::seconds(seconds), stopped)) {
            return;
        }
        reportChange(lock, false);
        if (wake_.wait_for(lock, kUnpluggedFor, stopped)) {
            return;
        }
        reportChange(lock, true);
    }
}

void VirtualDevice::reportChange(std::unique_lock<std::mutex>& lock, bool added) {
    void* device = device_;
    if (added) {
        plugIn();
        device = device_;
    } else {
        device_ = nullptr;
        pages_.clear();
    }
    record(deviceChangeLine(device, added));
    DirectOutputDeviceChangeCallback callback = callback_;
    void* context = context_;
    lock.unlock();
    if (callback != nullptr) {
        callback(device, added, context);
    }
    lock.lock();
}

void VirtualDevice::plugIn() {
    // Handles are opaque to the program; counting them makes each arrival's
    // handle new and easy to read in the record.
    device_ = reinterpret_cast<void*>(++lastHandle_);  // NOLINT(performance-no-int-to-ptr)
}

bool VirtualDevice::usable(void* device) const {
    return device != nullptr && device == device_;
}

void VirtualDevice::record(const std::string& line) {
    recorder_.write(line);
}

int32_t VirtualDevice::recorded(const std::string& line, int32_t result) {
    record(settings_.recordResult ? line + resultText(result) : line);
    return result;
}

}  // namespace virtualmfd
