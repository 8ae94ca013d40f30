#include "platform/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace platform {

FILE* openFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

bool isFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string currentFolder() {
    std::vector<char> buffer(4096);
    return getcwd(buffer.data(), buffer.size()) != nullptr ? std::string(buffer.data())
                                                           : std::string();
}

}  // namespace platform
