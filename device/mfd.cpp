#include "device/mfd.h"

#include <cstdio>

#include "device/wide_text.h"
#include "platform/process.h"

std::atomic<void*> MFD::deviceHandle{nullptr};
std::atomic<uint32_t> MFD::deviceArrivals{0};
int32_t MFD::lastResult = 0;

namespace {

// Page names are "PAGE" and the index in at least two decimal digits: PAGE00,
// PAGE07, PAGE10.
std::wstring pageTitle(int32_t page) {
    char c_pageTitle[16] = {};
    std::snprintf(c_pageTitle, sizeof c_pageTitle, "PAGE%02d", static_cast<int>(page));
    return toWide(c_pageTitle);
}

[[noreturn]] void quitAfterKey(const char* message) {
    // One write, so that no other thread's output comes between the line and its end.
    std::fputs((std::string(message) + "\n").c_str(), stdout);
    std::fflush(stdout);
    platform::waitForKey();
    platform::exitFailureAfterWait();
}

}  // namespace

MFD::MFD() {
    lastResult = loader.Initialize(L"MFD");
    if (lastResult < 0) {
        quitAfterKey(kInitializeFailedMessage);
    }
    lastResult = loader.RegisterDeviceChangeCallback(&MFD::onDeviceChange, nullptr);
    DirectOutputLoader::reportResult(lastResult, "RegisterDeviceChangeCallback");
    // The library reports every device present through onDeviceChange before
    // Enumerate returns.
    lastResult = loader.Enumerate();
    DirectOutputLoader::reportResult(lastResult, "Enumerate");
    void* const device = deviceHandle.load();
    if (device == nullptr) {
        quitAfterKey(kNoDeviceMessage);
    }
    lastPage = 0;
    pages.assign(1, PageLines());
    // The device reported during Enumerate gets its pages here.
    deviceServed = device;
    arrivalsServed = deviceArrivals.load();
    addPage(0, device);
    std::fputs("Initialization MFD OK\n", stdout);
}

MFD::~MFD() {
    // The handle came from the library that the loader is about to free; no
    // later MFD may take it for one of its own library's devices.
    deviceHandle.store(nullptr);
}

void MFD::setString(int32_t page, int32_t line, const char* text) {
    if (page < 0 || line < 0 || line >= kLinesPerPage) {
        return;
    }
    // The library may report another device on a thread of its own at any
    // moment; the pages and the text go to the one read here.
    void* const device = deviceHandle.load();
    addPagesToArrivedDevice(device);
    while (lastPage < page) {
        addNextPage(device);
    }
    PageLines& slot = pages[static_cast<size_t>(page)];
    slot.text[static_cast<size_t>(line)] = text != nullptr ? text : "";
    slot.written[static_cast<size_t>(line)] = true;
    std::wstring wide = toWide(slot.text[static_cast<size_t>(line)].c_str());
    lastResult = loader.SetString(device, static_cast<uint32_t>(page), static_cast<uint32_t>(line),
                                  static_cast<uint32_t>(wide.size()), wide.c_str());
    if (lastResult < 0) {
        std::printf("setString failed. error : %d\n", static_cast<int>(lastResult));
    }
    DirectOutputLoader::reportResult(lastResult, "SetString");
}

void MFD::addNextPage() {
    addNextPage(deviceHandle.load());
}

void MFD::addNextPage(void* device) {
    pages.emplace_back();
    lastPage = lastPage + 1;
    addPage(lastPage, device);
}

void MFD::addPagesToArrivedDevice(void* device) {
    // Read after the handle, and raised before it is stored: a new handle
    // comes with its new count.
    const uint32_t arrivals = deviceArrivals.load();
    // A device that has left takes no pages; the next one to arrive gets them.
    if (device == nullptr || (device == deviceServed && arrivals == arrivalsServed)) {
        return;
    }
    deviceServed = device;
    arrivalsServed = arrivals;
    for (int32_t page = 0; page <= lastPage; ++page) {
        addPage(page, device);
    }
}

void MFD::addPage(int32_t page, void* device) {
    // Page 0 is added with flags 1, every later page with flags 0. A page the
    // device refused is only reported; it stays in the table.
    lastResult = loader.AddPage(device, static_cast<uint32_t>(page), pageTitle(page).c_str(),
                                page == 0 ? 1 : 0);
    DirectOutputLoader::reportResult(lastResult, "AddPage");
}

void DIRECTOUTPUT_CALL MFD::onDeviceChange(void* device, bool added, void* /*context*/) {
    void* current = deviceHandle.load();
    if (current == nullptr && added) {
        // The count first: setString, which reads the handle and then the
        // count, sees a new handle only with its count. Only a null handle is
        // replaced, so a device reported meanwhile on another thread keeps its
        // place; the count raised for the one that lost then only has the
        // pages added once more, which a device refuses harmlessly.
        deviceArrivals.fetch_add(1);
        deviceHandle.compare_exchange_strong(current, device);
    } else if (!added && device == current) {
        deviceHandle.compare_exchange_strong(current, nullptr);
    }
}

const char* MFD::storedText(int32_t page, int32_t line) const {
    if (page < 0 || page > lastPage || line < 0 || line >= kLinesPerPage) {
        return nullptr;
    }
    const PageLines& slot = pages[static_cast<size_t>(page)];
    return slot.written[static_cast<size_t>(line)] ? slot.text[static_cast<size_t>(line)].c_str()
                                                   : nullptr;
}
