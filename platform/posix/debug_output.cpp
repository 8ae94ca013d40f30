#include "platform/debug_output.h"

#include <syslog.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/utf8.h"

namespace platform {
namespace {

std::mutex outputMutex;  // keeps concurrent texts whole in the file

void write(const std::string& text) {
    const char* path = std::getenv("FLIGHTMFD_DEBUG_OUTPUT");
    if (path == nullptr || path[0] == '\0') {
        syslog(LOG_DEBUG, "%s", text.c_str());
        return;
    }
    std::lock_guard<std::mutex> guard(outputMutex);
    if (FILE* file = std::fopen(path, "ab")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}

}  // namespace

void systemDebugOutput(const char* text) {
    write(text);
}

void systemDebugOutput(const wchar_t* text) {
    write(toUtf8(text));
}

}  // namespace platform
