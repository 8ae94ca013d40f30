#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace virtualmfd {

// One line of the record, taken apart: what record.h writes, read back.
struct RecordedCall {
    double timeMs = -1.0;  // with VIRTUALMFD_RECORD_TIME, the steady clock's milliseconds
    std::string name;      // "SetString", "AddPage", "DeviceChange", "Initialize", ...
    std::string device;    // AddPage, SetString, DeviceChange: the handle as written ("0x1")
    int64_t page = -1;     // AddPage, SetString
    int64_t line = -1;     // SetString
    int64_t length = -1;   // SetString
    int64_t flags = -1;    // AddPage
    // Unescaped: SetString's text, AddPage's and Initialize's name.
    // DeviceChange: "added" or "removed".
    std::string text;
    std::string result;  // with VIRTUALMFD_RECORD_RESULT, "00000000" and the like
};

// One line without its newline; nothing for a line that the record's writer
// does not write.
std::optional<RecordedCall> parseRecordLine(const std::string& line);

// Follows a record file as it grows: each call of next() returns the calls of
// the lines completed since the previous one, passing over any it cannot
// read. A file not made yet has no lines. Owns its file; used by one thread.
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

// Every call of the record file's complete lines.
std::vector<RecordedCall> readRecord(const std::string& path);

}  // namespace virtualmfd
