#include "app/receive_queue.h"

#include <cstdlib>
#include <cstring>

BufferCell makeBufferCell(const char* bytes, int32_t count) {
    // malloc(0) may give null; a cell of length 0 still needs a pointer to free.
    auto* data = static_cast<char*>(std::malloc(count > 0 ? static_cast<size_t>(count) : 1));
    if (count > 0) {
        std::memcpy(data, bytes, static_cast<size_t>(count));
    }
    return BufferCell{data, count};
}
