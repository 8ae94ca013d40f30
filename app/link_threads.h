#pragma once

#include <cstdint>

class IL2Connection;

// The one connection to the simulator. Written once by the main thread before
// the link threads start and never again, so it needs no lock.
extern IL2Connection* il2Connection;

// Sends the 21 queries as 21 datagrams, one batch, then sleeps 200 ms,
// without end. Takes no argument and no mutex.
uint32_t askDataThread(void* unused);

// Receives one datagram at a time and inserts it as a cell at the front of the
// ReceiveQueue passed as `queue`, under "mutexBuffer". Never sleeps.
uint32_t recDataThread(void* queue);
