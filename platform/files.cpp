#include "platform/files.h"

namespace platform {

bool readToEnd(FILE* file, std::string* bytes) {
    char chunk[4096];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes->append(chunk, count);
    }
    return std::ferror(file) == 0;
}

}  // namespace platform
