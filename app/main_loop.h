#pragma once

#include "app/receive_queue.h"
#include "display/il2data.h"
#include "platform/named_mutex.h"

// One pass of the main loop: takes the oldest cell from `queue` under
// "mutexBuffer", then parses it into `il2d` under "mutexIL2Data", never holding
// both. Returns false, having slept 50 ms, when the queue was empty.
bool mainLoopPass(ReceiveQueue& queue, IL2Data& il2d, platform::NamedMutex& mutexBuffer,
                  platform::NamedMutex& mutexIL2Data);

// The main loop: passes without end, one cell per pass.
[[noreturn]] void mainLoop(ReceiveQueue& queue, IL2Data& il2d, platform::NamedMutex& mutexBuffer,
                           platform::NamedMutex& mutexIL2Data);
