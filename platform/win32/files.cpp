#include "platform/files.h"

#include <windows.h>

#include "platform/code_page.h"
#include "platform/utf8.h"

namespace platform {
namespace {

std::wstring wide(const std::string& text) {
    return fromUtf8(text.data(), text.size(), codePageChar);
}

}  // namespace

FILE* openFile(const std::string& path, const char* mode) {
    return _wfopen(wide(path).c_str(), wide(mode).c_str());
}

bool isFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string currentFolder() {
    // The length asked for first includes the terminator; the folder may
    // change between the calls, hence the loop.
    std::wstring folder;
    for (DWORD needed = GetCurrentDirectoryW(0, nullptr); needed > 0;) {
        folder.assign(needed, L'\0');
        const DWORD length = GetCurrentDirectoryW(needed, &folder[0]);
        if (length < needed) {
            folder.resize(length);
            return toUtf8(folder);
        }
        needed = length;
    }
    return std::string();
}

}  // namespace platform
