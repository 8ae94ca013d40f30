#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace virtualmfd {

// The record file: one line per call of the library, appended and flushed at
// once, so that a test or a user can follow what the display is told. The
// owner serialises calls (VirtualDevice holds its lock).
class Recorder {
  public:
    ~Recorder() { close(); }

    // Appends to `path` (UTF-8) from now on; an empty path or a file that cannot be
    // opened records nothing. Opening the path already open changes nothing.
    void open(const std::string& path);
    void close();
    // Forgets the file without closing it, for when the process is ending and
    // a stopped thread may hold the stream's lock; the end closes it.
    void abandon() { file_ = nullptr; }
    bool active() const { return file_ != nullptr; }
    // With `timed`, every line written from now on starts with timeText() of
    // the moment it is written and a space.
    void setTimed(bool timed) { timed_ = timed; }
    void write(const std::string& line);

  private:
    std::FILE* file_ = nullptr;
    std::string path_;
    bool timed_ = false;
};

// The steady clock (CLOCK_MONOTONIC on Linux) in milliseconds with three
// decimals, "12345.678": the clock that another process on the same machine
// reads too, so that a measurement can compare its own moments with the
// record's.
std::string timeText(std::chrono::steady_clock::time_point moment);

// A device handle as the record shows it: "0x" and the pointer's value in
// lower-case hex ("0x0" for null).
std::string handleText(const void* device);

// A text in double quotes, as UTF-8, with '"' and '\' escaped by a backslash,
// newline and tab as \n and \t, and other control bytes as \xNN.
std::string quoted(const wchar_t* text, size_t length);
std::string quoted(const wchar_t* text);  // terminated; null shows as ""

// The lines of the calls that carry more than a name. record_reader.h takes
// them apart again.
std::string addPageLine(const void* device, uint32_t page, const wchar_t* name, uint32_t flags);
// The `length` characters of `text`; none when it is null.
std::string setStringLine(const void* device, uint32_t page, uint32_t line, uint32_t length,
                          const wchar_t* text);
std::string deviceChangeLine(const void* device, bool added);
// What ends a call's line with VIRTUALMFD_RECORD_RESULT: " -> " and the
// result in eight upper-case hex digits.
std::string resultText(int32_t result);

}  // namespace virtualmfd
