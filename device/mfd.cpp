#include "device/mfd.h"

#include <cstdio>

#include "device/wide_text.h"
#include "platform/process.h"

std::atomic<void*> MFD::deviceHandle{nullptr};
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
    std::fputs(message, stdout);
    std::fflush(stdout);
    platform::waitForKey();
    platform::exitFailureAfterWait();
}

}  // namespace

MFD::MFD() {
    lastResult = loader.Initialize(L"MFD");
    if (lastResult < 0) {
        quitAfterKey("Failed to initialize DirectOutput, press any key to quit\n");
    }
    lastResult = loader.RegisterDeviceChangeCallback(&MFD::onDeviceChange, nullptr);
    DirectOutputLoader::reportResult(lastResult, "RegisterDeviceChangeCallback");
    // The library reports every device present through onDeviceChange before
    // Enumerate returns.
    lastResult = loader.Enumerate();
    DirectOutputLoader::reportResult(lastResult, "Enumerate");
    if (deviceHandle.load() == nullptr) {
        quitAfterKey("No DirectOutput devices found, press any key to quit\n");
    }
    lastPage = 0;
    pages.assign(1, PageLines());
    // Page 0 is added with flags 1, every later page with flags 0.
    lastResult = loader.AddPage(deviceHandle.load(), 0, pageTitle(0).c_str(), 1);
    DirectOutputLoader::reportResult(lastResult, "AddPage");
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
    while (lastPage < page) {
        addNextPage();
    }
    PageLines& slot = pages[static_cast<size_t>(page)];
    slot.text[static_cast<size_t>(line)] = text != nullptr ? text : "";
    slot.written[static_cast<size_t>(line)] = true;
    std::wstring wide = toWide(slot.text[static_cast<size_t>(line)].c_str());
    lastResult = loader.SetString(deviceHandle.load(), static_cast<uint32_t>(page),
                                  static_cast<uint32_t>(line), static_cast<uint32_t>(wide.size()),
                                  wide.c_str());
    if (lastResult < 0) {
        std::printf("setString failed. error : %d\n", static_cast<int>(lastResult));
    }
    DirectOutputLoader::reportResult(lastResult, "SetString");
}

void MFD::addNextPage() {
    pages.emplace_back();
    lastPage = lastPage + 1;
    // A page the device refused is only reported; it stays in the table.
    lastResult = loader.AddPage(deviceHandle.load(), static_cast<uint32_t>(lastPage),
                                pageTitle(lastPage).c_str(), 0);
    DirectOutputLoader::reportResult(lastResult, "AddPage");
}

void DIRECTOUTPUT_CALL MFD::onDeviceChange(void* device, bool added, void* /*context*/) {
    void* current = deviceHandle.load();
    if (current == nullptr && added) {
        // Only a null handle is replaced, so a device reported meanwhile on
        // another thread keeps its place.
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
