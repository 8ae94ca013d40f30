#include "platform/text_io.h"

#include <windows.h>
// shellapi.h wants windows.h before it.
#include <shellapi.h>

#include <algorithm>

#include "platform/code_page.h"
#include "platform/utf8.h"

namespace platform {
namespace {

// A bound for one console write: older consoles refuse very long ones.
constexpr size_t kConsoleWriteChars = 8192;

void writeConsole(HANDLE console, const std::wstring& text) {
    size_t done = 0;
    while (done < text.size()) {
        size_t count = std::min(kConsoleWriteChars, text.size() - done);
        // A surrogate pair stays in one write.
        if (count < text.size() - done && count > 1 && text[done + count - 1] >= 0xD800 &&
            text[done + count - 1] <= 0xDBFF) {
            --count;
        }
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data() + done, static_cast<DWORD>(count), &written,
                           nullptr) ||
            written == 0) {
            return;
        }
        done += written;
    }
}

}  // namespace

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(toUtf8(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

void writeText(FILE* stream, const std::string& text) {
    std::fflush(stream);
    HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode;
    if (GetConsoleMode(handle, &mode)) {
        writeConsole(handle, fromUtf8(text.data(), text.size(), codePageChar));
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace platform
