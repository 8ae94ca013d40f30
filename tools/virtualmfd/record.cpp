#include "tools/virtualmfd/record.h"

#include <cinttypes>
#include <cstdint>
#include <cwchar>

#include "platform/files.h"
#include "platform/utf8.h"

namespace virtualmfd {

void Recorder::open(const std::string& path) {
    if (file_ != nullptr && path == path_) {
        return;
    }
    close();
    if (!path.empty()) {
        file_ = platform::openFile(path, "ab");
        path_ = path;
    }
}

void Recorder::close() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
    file_ = nullptr;
    path_.clear();
}

void Recorder::write(const std::string& line) {
    if (file_ == nullptr) {
        return;
    }
    if (timed_) {
        std::string time = timeText(std::chrono::steady_clock::now()) + " ";
        std::fwrite(time.data(), 1, time.size(), file_);
    }
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

std::string timeText(std::chrono::steady_clock::time_point moment) {
    auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(moment.time_since_epoch()).count();
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(micros / 1000),
                  static_cast<long long>(micros % 1000));
    return text;
}

std::string handleText(const void* device) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%" PRIxPTR, reinterpret_cast<uintptr_t>(device));
    return text;
}

std::string quoted(const wchar_t* text, size_t length) {
    std::string utf8 =
        text != nullptr ? platform::toUtf8(std::wstring(text, length)) : std::string();
    std::string out = "\"";
    for (char c : utf8) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string quoted(const wchar_t* text) {
    return quoted(text, text != nullptr ? std::wcslen(text) : 0);
}

std::string addPageLine(const void* device, uint32_t page, const wchar_t* name, uint32_t flags) {
    return "AddPage " + handleText(device) + " " + std::to_string(page) + " " + quoted(name) + " " +
           std::to_string(flags);
}

std::string setStringLine(const void* device, uint32_t page, uint32_t line, uint32_t length,
                          const wchar_t* text) {
    return "SetString " + handleText(device) + " " + std::to_string(page) + " " +
           std::to_string(line) + " " + std::to_string(length) + " " +
           quoted(text, text != nullptr ? length : 0);
}

std::string deviceChangeLine(const void* device, bool added) {
    return "DeviceChange " + handleText(device) + (added ? " added" : " removed");
}

std::string resultText(int32_t result) {
    char text[16];
    std::snprintf(text, sizeof text, " -> %08X", static_cast<unsigned int>(result));
    return text;
}

}  // namespace virtualmfd
