#include "app/link_threads.h"

#include <cstdio>
#include <cstring>

#include "app/mutex_names.h"
#include "app/receive_queue.h"
#include "display/flight_values.h"
#include "platform/named_mutex.h"
#include "platform/thread.h"
#include "simlink/il2connection.h"

IL2Connection* il2Connection = nullptr;

uint32_t askDataThread(void*) {
    std::printf("askDataThread : [tid : %d]\n", static_cast<int>(platform::currentThreadId()));
    char buffer[1024];
    for (;;) {
        il2Connection->beginBatch();
        for (const FlightValue& value : kFlightValues) {
            std::strcpy(buffer, value.query);
            il2Connection->sendData(buffer, static_cast<int>(std::strlen(buffer)));
        }
        platform::sleepMs(200);
    }
}

uint32_t recDataThread(void* queue) {
    std::printf("recDataThread : [tid : %d]\n", static_cast<int>(platform::currentThreadId()));
    auto& receiveQueue = *static_cast<ReceiveQueue*>(queue);
    platform::NamedMutex mutexBuffer = platform::NamedMutex::open(kMutexBuffer);
    char buff[1024];
    for (;;) {
        int count = il2Connection->recData(buff, sizeof buff);
        platform::MutexLock lock(mutexBuffer);
        receiveQueue.push_front(makeBufferCell(buff, count));
    }
}
