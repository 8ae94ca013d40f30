#include "tools/virtualmfd/record_reader.h"

#include <cctype>
#include <cstdlib>

#include "platform/files.h"

namespace virtualmfd {
namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Reads a record line from left to right, its fields one space apart. The
// first mismatch spoils the whole line.
class LineCursor {
  public:
    explicit LineCursor(const std::string& line) : line_(line) {}

    bool readable() const { return readable_; }
    bool atEnd() const { return at_ >= line_.size(); }
    bool startsWithDigit() const { return !atEnd() && isDigit(line_[at_]); }

    // The characters up to the next space or the end; never empty.
    std::string word() {
        if (!readable_ || atEnd()) {
            readable_ = false;
            return "";
        }
        size_t end = line_.find(' ', at_);
        end = end == std::string::npos ? line_.size() : end;
        std::string word = line_.substr(at_, end - at_);
        readable_ = !word.empty();
        at_ = end;
        passSpace();
        return word;
    }

    void expect(const char* text) { readable_ = word() == text && readable_; }

    // A word of decimal digits, as written for a page, line, length or flags.
    int64_t number() {
        const std::string digits = word();
        for (char c : digits) {
            readable_ = readable_ && isDigit(c);
        }
        readable_ = readable_ && digits.size() <= 10;  // a 32-bit number at most
        return readable_ ? std::strtoll(digits.c_str(), nullptr, 10) : -1;
    }

    double time() {
        const std::string text = word();
        char* end = nullptr;
        double milliseconds = std::strtod(text.c_str(), &end);
        readable_ = readable_ && end == text.c_str() + text.size();
        return milliseconds;
    }

    // A text in double quotes with the escapes that quoted() writes undone:
    // \" \\ \n \t and \xNN.
    std::string quotedText() {
        std::string text;
        readable_ = readable_ && !atEnd() && line_[at_] == '"';
        for (++at_; readable_ && !atEnd() && line_[at_] != '"'; ++at_) {
            text += line_[at_] == '\\' ? escaped() : line_[at_];
        }
        readable_ = readable_ && !atEnd();  // the closing quote
        if (readable_) {
            ++at_;
            passSpace();
        }
        return text;
    }

  private:
    // The character that the escape at at_ stands for; at_ ends on its last
    // character.
    char escaped() {
        const char kind = ++at_ < line_.size() ? line_[at_] : '\0';
        if (kind == '"' || kind == '\\') {
            return kind;
        }
        if (kind == 'n' || kind == 't') {
            return kind == 'n' ? '\n' : '\t';
        }
        if (kind == 'x' && at_ + 2 < line_.size() && isHexDigit(line_[at_ + 1]) &&
            isHexDigit(line_[at_ + 2])) {
            at_ += 2;
            return static_cast<char>(std::strtol(line_.substr(at_ - 1, 2).c_str(), nullptr, 16));
        }
        readable_ = false;
        return '\0';
    }

    // One space between fields; none after the last.
    void passSpace() {
        if (!atEnd()) {
            readable_ = readable_ && line_[at_] == ' ' && at_ + 1 < line_.size();
            ++at_;
        }
    }

    const std::string& line_;
    size_t at_ = 0;
    bool readable_ = true;
};

// The fields after the call's name, as record.cpp writes them. AddPage and
// SetString both start with the device and the page and carry a text.
void readArguments(LineCursor& in, RecordedCall* call) {
    const std::string& name = call->name;
    if (name == "Initialize") {
        call->text = in.quotedText();
    } else if (name == "DeviceChange") {
        call->device = in.word();
        call->text = in.word();
    } else if (name == "AddPage" || name == "SetString") {
        call->device = in.word();
        call->page = in.number();
        if (name == "SetString") {
            call->line = in.number();
            call->length = in.number();
        }
        call->text = in.quotedText();
        if (name == "AddPage") {
            call->flags = in.number();
        }
    }
}

}  // namespace

std::optional<RecordedCall> parseRecordLine(const std::string& line) {
    LineCursor in(line);
    RecordedCall call;
    if (in.startsWithDigit()) {
        call.timeMs = in.time();
    }
    call.name = in.word();
    readArguments(in, &call);
    if (!in.atEnd()) {
        in.expect("->");
        call.result = in.word();
    }
    if (!in.readable() || !in.atEnd()) {
        return std::nullopt;
    }
    return call;
}

RecordReader::~RecordReader() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

std::vector<RecordedCall> RecordReader::next() {
    std::vector<RecordedCall> calls;
    if (file_ == nullptr) {
        file_ = platform::openFile(path_, "rb");
        if (file_ == nullptr) {
            return calls;
        }
    }
    char buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file_)) > 0) {
        partial_.append(buffer, count);
    }
    // Reading on from here next time. A seek, unlike clearerr alone, also
    // makes the Windows C runtime look at the file again for what was
    // written since.
    std::fseek(file_, 0, SEEK_CUR);
    size_t start = 0;
    for (size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1) {
        if (std::optional<RecordedCall> call =
                parseRecordLine(partial_.substr(start, end - start))) {
            calls.push_back(std::move(*call));
        }
    }
    partial_.erase(0, start);
    return calls;
}

std::vector<RecordedCall> readRecord(const std::string& path) {
    return RecordReader(path).next();
}

}  // namespace virtualmfd
