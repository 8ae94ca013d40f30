#pragma once

#include <cstdint>
#include <list>

// One received datagram: `length` bytes on the heap (malloc), no terminator
// added. Copies are shallow: whoever holds the cell last frees `data`.
struct BufferCell {
    char* data;
    int32_t length;
};

// Copies `count` bytes into a new cell.
BufferCell makeBufferCell(const char* bytes, int32_t count);

// Carries cells from recDataThread to the main loop: new cells go in at the
// front, the oldest leaves from the back, so cells leave in arrival order.
// Unbounded. One instance, owned by the main thread, guarded by "mutexBuffer";
// the cells' bytes belong to the queue while they are in it.
using ReceiveQueue = std::list<BufferCell>;
