#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "device/direct_output.h"
#include "device/direct_output_loader.h"

// The lines with which a start without a usable display ends, after a key:
// the library did not start (or was not found), or it reported no device.
constexpr char kInitializeFailedMessage[] =
    "Failed to initialize DirectOutput, press any key to quit";
constexpr char kNoDeviceMessage[] = "No DirectOutput devices found, press any key to quit";

// The joystick's multi-function display: starts the vendor library, takes the
// first device that the library reports, creates page 0, and writes texts to
// the lines of its pages, creating further pages in order when they are first
// written to.
//
// A device that arrives after start-up (the joystick plugged in again) has
// none of the pages: the library forgets a device's pages when it leaves, and
// the arriving device comes with a handle of its own. So every created page
// is added to it again before the next text is written.
//
// The MFD owns its page table, the stored texts and the loader (and so the
// library). It has no lock: the main thread constructs it, and afterwards only
// refreshMFDThread calls setString. The device handle and the count of
// arrivals are the values that the library's own threads may write, hence
// atomics; onDeviceChange only records what happened, and setString acts on
// it, so that pages are never added while a text is being written. Each
// setString reads the handle once, so that its pages and its text go to the
// same device.
class MFD {
  public:
    static constexpr int32_t kLinesPerPage = 3;

    // Returns only when a device is ready. Otherwise it prints why on standard
    // output, waits for a key and ends the process with exit status -1.
    MFD();
    // Frees the library; removes no page and does not deinitialize the library.
    ~MFD();
    MFD(const MFD&) = delete;
    MFD& operator=(const MFD&) = delete;

    // Stores a copy of `text` as the text of (page, line) and writes it to the
    // device, first creating every missing page up to `page`. Failures are
    // printed and reported, and the text stays stored. A negative page or a
    // line outside 0 to 2 is ignored.
    void setString(int32_t page, int32_t line, const char* text);

    // Creates the page after the highest one, in the table and on the device.
    void addNextPage();

    // The library's device-change callback: the first device reported wins,
    // further arrivals are ignored, and only the removal of the device in use
    // clears it. `context` is not used.
    static void DIRECTOUTPUT_CALL onDeviceChange(void* device, bool added, void* context);

    // The last text written to (page, line), or null when none was.
    const char* storedText(int32_t page, int32_t line) const;

    // The display device in use, as the library reported it; null when none.
    static std::atomic<void*> deviceHandle;
    // How many times a device has arrived to become deviceHandle; raised just
    // before its handle is stored, so that a reader that sees the new handle
    // sees the new count too.
    static std::atomic<uint32_t> deviceArrivals;
    // The result of the latest library call made by an MFD.
    static int32_t lastResult;

  private:
    // One page's line texts; a line holds a text once it has been written.
    struct PageLines {
        std::array<std::string, kLinesPerPage> text;
        std::array<bool, kLinesPerPage> written{};
    };

    // Adds pages 0 to lastPage to `device` when it is not the one that they
    // were last added to (another handle, or the same one arrived again),
    // with the names and flags of the first time.
    void addPagesToArrivedDevice(void* device);
    void addNextPage(void* device);
    void addPage(int32_t page, void* device);

    // Index of the highest page created so far.
    int32_t lastPage = 0;
    // The device, and deviceArrivals, when the pages were last added.
    void* deviceServed = nullptr;
    uint32_t arrivalsServed = 0;
    // Pages 0 to lastPage; grows as pages are created (beyond the nine that
    // 27 configured lines need).
    std::vector<PageLines> pages;
    DirectOutputLoader loader;
};
