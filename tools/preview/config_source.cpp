#include "tools/preview/config_source.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "config/configuration.h"
#include "platform/files.h"

int32_t ConfigSource::programLength() const {
    return bytes.size() < static_cast<size_t>(kConfigReadLimit) ? static_cast<int32_t>(bytes.size())
                                                                : kConfigReadLimit;
}

int32_t ConfigSource::programIsFinal() const {
    return bytes.size() < static_cast<size_t>(kConfigReadLimit) ? 1 : 0;
}

bool readConfigSource(const std::string& path, ConfigSource* source, std::string* error) {
    // Text mode, like the program: on Windows both then see the same bytes.
    FILE* file = platform::openFile(path, "r");
    if (file == nullptr) {
        // The preview runs on one thread.
        // NOLINTNEXTLINE(concurrency-mt-unsafe)
        *error = "cannot open " + path + ": " + std::strerror(errno);
        // A bare name is looked for in the working folder, which is not
        // always the one the user thinks of.
        if (path.find_first_of("/\\") == std::string::npos) {
            *error += " (looked in " + platform::currentFolder() + ")";
        }
        return false;
    }
    std::string bytes;
    const bool read = platform::readToEnd(file, &bytes);
    const int readErrno = errno;
    std::fclose(file);
    if (!read) {
        *error = "cannot read " + path + ": " +
                 std::strerror(readErrno);  // NOLINT(concurrency-mt-unsafe)
        return false;
    }
    source->bytes = std::move(bytes);
    return true;
}

TextPosition positionOf(const std::string& text, size_t offset) {
    TextPosition position{1, 1};
    for (size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++position.line;
            position.column = 1;
        } else {
            ++position.column;
        }
    }
    return position;
}
