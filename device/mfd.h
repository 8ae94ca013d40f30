#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "device/direct_output.h"
#include "device/direct_output_loader.h"

// The joystick's multi-function display: starts the vendor library, takes the
// first device that the library reports, creates page 0, and writes texts to
// the lines of its pages, creating further pages in order when they are first
// written to.
//
// The MFD owns its page table, the stored texts and the loader (and so the
// library). It has no lock: the main thread constructs it, and afterwards only
// refreshMFDThread calls setString. The device handle is the one value that
// the library's own threads may write, hence an atomic.
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
    // The result of the latest library call made by an MFD.
    static int32_t lastResult;

  private:
    // One page's line texts; a line holds a text once it has been written.
    struct PageLines {
        std::array<std::string, kLinesPerPage> text;
        std::array<bool, kLinesPerPage> written{};
    };

    // Index of the highest page created so far.
    int32_t lastPage = 0;
    // Pages 0 to lastPage; grows as pages are created (beyond the nine that
    // 27 configured lines need).
    std::vector<PageLines> pages;
    DirectOutputLoader loader;
};
