#include "app/main_loop.h"

#include <cstdlib>

#include "platform/thread.h"

bool mainLoopPass(ReceiveQueue& queue, IL2Data& il2d, platform::NamedMutex& mutexBuffer,
                  platform::NamedMutex& mutexIL2Data) {
    BufferCell bc;
    mutexBuffer.lock();
    if (queue.empty()) {
        mutexBuffer.unlock();
        platform::sleepMs(50);
        return false;
    }
    bc = queue.back();
    queue.pop_back();
    mutexBuffer.unlock();

    mutexIL2Data.lock();
    il2d.parseAnswer(bc.data, bc.length);
    mutexIL2Data.unlock();
    std::free(bc.data);
    return true;
}

void mainLoop(ReceiveQueue& queue, IL2Data& il2d, platform::NamedMutex& mutexBuffer,
              platform::NamedMutex& mutexIL2Data) {
    for (;;) {
        mainLoopPass(queue, il2d, mutexBuffer, mutexIL2Data);
    }
}
