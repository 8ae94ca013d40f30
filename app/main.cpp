#include <cstdio>

#include "app/main_loop.h"
#include "app/startup.h"
#include "platform/process.h"
#include "platform/thread.h"

// Arguments are ignored: config.xml in the working folder is the only setting.
int main() {
    platform::setUpConsole();
    std::printf("main : [pid : %d] [tid : %d]\n", static_cast<int>(platform::currentProcessId()),
                static_cast<int>(platform::currentThreadId()));
    MainObjects objects = runStartup();
    mainLoop(*objects.queue, *objects.il2d, objects.mutexBuffer, objects.mutexIL2Data);
}
