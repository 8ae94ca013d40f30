#include "platform/thread.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "platform/process.h"

namespace platform {
namespace {

// Hand-over between startThread and the new thread: the kernel's id of a new
// thread is known only inside it, and startThread returns it like
// CreateThread does.
struct StartBlock {
    ThreadProc proc;
    void* argument;
    std::mutex mutex;
    std::condition_variable started;
    uint32_t id = 0;
};

void* threadMain(void* raw) {
    auto* block = static_cast<StartBlock*>(raw);
    ThreadProc proc = block->proc;
    void* argument = block->argument;
    {
        // Notified under the lock: once the starter sees the id it returns and
        // `block`, on its stack, is gone, so nothing may touch it afterwards.
        std::lock_guard<std::mutex> guard(block->mutex);
        block->id = currentThreadId();
        block->started.notify_one();
    }
    proc(argument);
    return nullptr;
}

}  // namespace

uint32_t startThread(const char* name, ThreadProc proc, void* argument) {
    StartBlock block;
    block.proc = proc;
    block.argument = argument;
    pthread_t thread;
    int error = pthread_create(&thread, nullptr, threadMain, &block);
    if (error != 0) {
        std::fprintf(stderr, "Cannot start %s. Error : %d\n", name, error);
        exitFailure();
    }
    pthread_detach(thread);
    std::unique_lock<std::mutex> lock(block.mutex);
    block.started.wait(lock, [&] { return block.id != 0; });
    return block.id;
}

uint32_t currentProcessId() {
    return static_cast<uint32_t>(getpid());
}

uint32_t currentThreadId() {
    return static_cast<uint32_t>(syscall(SYS_gettid));
}

void sleepMs(uint32_t milliseconds) {
    usleep(static_cast<useconds_t>(milliseconds) * 1000);
}

}  // namespace platform
