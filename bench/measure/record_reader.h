#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace measure {

// One line of the virtual display's record, as far as the tool needs it.
struct RecordedCall {
    double timeMs = -1.0;  // the steady clock's milliseconds; -1 without VIRTUALMFD_RECORD_TIME
    std::string call;      // "SetString", "DeviceChange", ...
    std::string device;    // the handle as recorded ("0x1"); AddPage, SetString, DeviceChange
    int page = -1;         // AddPage and SetString
    int line = -1;         // SetString only
    std::string text;      // SetString: the text, unescaped; DeviceChange: "added" or "removed"
    std::string result;    // "00000000" and the like with VIRTUALMFD_RECORD_RESULT; else empty
};

// Reads a record file as it grows: each call of next() returns the lines
// completed since the previous one. Owns its file; used by one thread.
class RecordReader {
  public:
    explicit RecordReader(std::string path) : path_(std::move(path)) {}
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    std::vector<RecordedCall> next();

  private:
    std::string path_;
    std::FILE* file_ = nullptr;
    std::string partial_;
};

// One record line taken apart; the call is empty for a line it cannot read.
RecordedCall parseRecordLine(const std::string& line);

}  // namespace measure
