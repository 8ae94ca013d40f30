#include "tools/flightmfd_sim/answers.h"

#include <cctype>

namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

int twoDigits(const char* text) {
    if (!isDigit(text[0]) || !isDigit(text[1])) {
        return -1;
    }
    return (text[0] - '0') * 10 + (text[1] - '0');
}

}  // namespace

int queryCode(const char* data, int length) {
    if (length != kCodedLength || data[0] != kQueryPrefix[0] || data[1] != kQueryPrefix[1]) {
        return -1;
    }
    return twoDigits(data + 2);
}

std::string answerFor(int code, const std::string& value) {
    std::string answer = kAnswerPrefix;
    answer += static_cast<char>('0' + code / 10 % 10);
    answer += static_cast<char>('0' + code % 10);
    answer += kAnswerSeparator;
    // The simulator frames its answers with these two, so inside a value
    // each one has a backslash before it.
    for (char c : value) {
        if (c == '/' || c == '\\') {
            answer += '\\';
        }
        answer += c;
    }
    return answer;
}

int codeOf(const std::string& text) {
    if (text.size() != 2) {
        return -1;
    }
    return twoDigits(text.c_str());
}
