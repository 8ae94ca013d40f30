#include "tools/virtualmfd/virtual_device.h"

#include <chrono>
#include <string>

namespace virtualmfd {
namespace {

// How long the device stays away when it is unplugged on purpose.
constexpr std::chrono::milliseconds kUnpluggedFor{500};

}  // namespace

VirtualDevice::VirtualDevice() : settings_(readSettings()) {
    recorder_.open(settings_.recordPath);
    recorder_.setTimed(settings_.recordTime);
    present_ = !settings_.noDevice;
}

VirtualDevice::~VirtualDevice() {
    stopThreads();
}

int32_t VirtualDevice::initialize(const wchar_t* applicationName) {
    stopThreads();
    std::unique_lock<std::mutex> lock(mutex_);
    settings_ = readSettings();
    recorder_.open(settings_.recordPath);
    recorder_.setTimed(settings_.recordTime);
    record("Initialize " + quoted(applicationName));
    if (settings_.failInitialize) {
        return kFail;
    }
    callback_ = nullptr;
    context_ = nullptr;
    pages_.clear();
    present_ = !settings_.noDevice;
    lock.unlock();
    startThreads();
    return kOk;
}

int32_t VirtualDevice::deinitialize() {
    stopThreads();
    std::lock_guard<std::mutex> lock(mutex_);
    record("Deinitialize");
    callback_ = nullptr;
    context_ = nullptr;
    pages_.clear();
    return kOk;
}

int32_t VirtualDevice::registerDeviceChangeCallback(DirectOutputDeviceChangeCallback callback,
                                                    void* context) {
    std::lock_guard<std::mutex> lock(mutex_);
    record("RegisterDeviceChangeCallback");
    callback_ = callback;
    context_ = context;
    return kOk;
}

int32_t VirtualDevice::enumerate() {
    std::unique_lock<std::mutex> lock(mutex_);
    record("Enumerate");
    DirectOutputDeviceChangeCallback callback = callback_;
    void* context = context_;
    bool present = present_;
    lock.unlock();
    if (present && callback != nullptr) {
        callback(kDevice, true, context);
    }
    return kOk;
}

int32_t VirtualDevice::addPage(void* device, uint32_t page, const wchar_t* name, uint32_t flags) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (recorder_.active()) {
        record("AddPage " + handleText(device) + " " + std::to_string(page) + " " + quoted(name) +
               " " + std::to_string(flags));
    }
    if (!usable(device)) {
        return kBadHandle;
    }
    if (name == nullptr) {
        return kBadPointer;
    }
    if (pages_.count(page) != 0) {
        return kBadArgument;
    }
    Page& added = pages_[page];
    added.name = name;
    added.flags = flags;
    return kOk;
}

int32_t VirtualDevice::setString(void* device, uint32_t page, uint32_t line, uint32_t length,
                                 const wchar_t* text) {
    std::lock_guard<std::mutex> lock(mutex_);
    // The line is built only for a record: a pass over many lines must stay cheap.
    if (recorder_.active()) {
        record("SetString " + handleText(device) + " " + std::to_string(page) + " " +
               std::to_string(line) + " " + std::to_string(length) + " " +
               quoted(text, text != nullptr ? length : 0));
    }
    if (settings_.failSetString) {
        return E_NOTIMPL;
    }
    if (!usable(device)) {
        return kBadHandle;
    }
    if (text == nullptr && length > 0) {
        return kBadPointer;
    }
    auto found = pages_.find(page);
    if (found == pages_.end() || line >= found->second.lines.size()) {
        return kBadArgument;
    }
    found->second.lines[line].assign(text != nullptr ? text : L"", length);
    return kOk;
}

int32_t VirtualDevice::recordOnly(const char* name) {
    std::lock_guard<std::mutex> lock(mutex_);
    record(name);
    return kOk;
}

ViewState VirtualDevice::viewState() {
    std::lock_guard<std::mutex> lock(mutex_);
    ViewState state;
    state.present = present_;
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
    present_ = added;
    record("DeviceChange " + handleText(kDevice) + (added ? " added" : " removed"));
    DirectOutputDeviceChangeCallback callback = callback_;
    void* context = context_;
    lock.unlock();
    if (callback != nullptr) {
        callback(kDevice, added, context);
    }
    lock.lock();
}

bool VirtualDevice::usable(void* device) const {
    return device == kDevice && present_;
}

void VirtualDevice::record(const std::string& line) {
    recorder_.write(line);
}

}  // namespace virtualmfd
