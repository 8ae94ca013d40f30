#include "bench/measure/record_reader.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace measure {
namespace {

// The inverse of the record's quoting: \" \\ \n \t and \xNN.
std::string unquote(const std::string& quoted) {
    std::string text;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        char c = quoted[i];
        if (c != '\\' || i + 2 >= quoted.size()) {
            text += c;
            continue;
        }
        char escaped = quoted[++i];
        if (escaped == 'n') {
            text += '\n';
        } else if (escaped == 't') {
            text += '\t';
        } else if (escaped == 'x' && i + 2 < quoted.size()) {
            text += static_cast<char>(std::strtol(quoted.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            text += escaped;
        }
    }
    return text;
}

}  // namespace

RecordReader::~RecordReader() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

std::vector<RecordedCall> RecordReader::next() {
    std::vector<RecordedCall> calls;
    if (file_ == nullptr) {
        file_ = std::fopen(path_.c_str(), "rb");
        if (file_ == nullptr) {
            return calls;  // not made yet
        }
    }
    char buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file_)) > 0) {
        partial_.append(buffer, count);
    }
    std::clearerr(file_);  // reading on from here next time
    size_t start = 0;
    for (size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1) {
        RecordedCall call = parseRecordLine(partial_.substr(start, end - start));
        if (!call.call.empty()) {
            calls.push_back(std::move(call));
        }
    }
    partial_.erase(0, start);
    return calls;
}

RecordedCall parseRecordLine(const std::string& line) {
    RecordedCall call;
    // A call's result, when recorded, ends the line after the last quote.
    const size_t arrow = line.rfind(" -> ");
    const size_t lastQuote = line.rfind('"');
    std::string body = line;
    if (arrow != std::string::npos && (lastQuote == std::string::npos || arrow > lastQuote)) {
        call.result = line.substr(arrow + 4);
        body.erase(arrow);
    }
    std::istringstream in(body);
    std::string word;
    in >> word;
    if (!word.empty() && std::isdigit(static_cast<unsigned char>(word[0]))) {
        call.timeMs = std::strtod(word.c_str(), nullptr);
        in >> word;
    }
    call.call = word;
    if (word == "SetString") {
        // SetString <device> <page> <line> <length> "<text>"
        size_t length = 0;
        in >> call.device >> call.page >> call.line >> length;
        size_t quote = body.find('"');
        if (!in || quote == std::string::npos) {
            call.call.clear();
            return call;
        }
        call.text = unquote(body.substr(quote));
    } else if (word == "AddPage") {
        in >> call.device >> call.page;
    } else if (word == "DeviceChange") {
        in >> call.device >> call.text;
    }
    return call;
}

}  // namespace measure
