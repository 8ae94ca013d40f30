#include "app/display_threads.h"

#include <cstdio>

#include "app/mutex_names.h"
#include "device/mfd.h"
#include "display/il2data.h"
#include "platform/named_mutex.h"
#include "platform/thread.h"

IL2Display* il2Display = nullptr;

uint32_t refreshIL2DisplayThread(void* il2d) {
    std::printf("refreshIL2DisplayThread : [tid : %d]\n",
                static_cast<int>(platform::currentThreadId()));
    const auto& data = *static_cast<IL2Data*>(il2d);
    platform::NamedMutex mutexIL2Data = platform::NamedMutex::open(kMutexIL2Data);
    platform::NamedMutex mutexIl2disp = platform::NamedMutex::open(kMutexIl2disp);
    for (;;) {
        {
            // Lock order: the record before the display model.
            platform::MutexLock dataLock(mutexIL2Data);
            platform::MutexLock displayLock(mutexIl2disp);
            il2Display->refresh(data);
        }
        platform::sleepMs(100);
    }
}

uint32_t refreshMFDThread(void* mfd) {
    std::printf("refreshMFDThread : [tid : %d]\n", static_cast<int>(platform::currentThreadId()));
    auto& device = *static_cast<MFD*>(mfd);
    platform::NamedMutex mutexIl2disp = platform::NamedMutex::open(kMutexIl2disp);
    for (;;) {
        {
            platform::MutexLock lock(mutexIl2disp);
            for (int32_t page = 0; page < il2Display->numPages; ++page) {
                for (int32_t row = 0; row < il2Display->numLignes; ++row) {
                    device.setString(page, row, il2Display->lineText(page, row));
                }
            }
        }
        platform::sleepMs(100);
    }
}

void startDisplaySide(const std::vector<TemplateToken>& tmpl, IL2Data& il2d) {
    il2Display = new IL2Display(tmpl);
    uint32_t refreshIL2DisplayThreadId =
        platform::startThread("refreshIL2DisplayThread", refreshIL2DisplayThread, &il2d);
    std::printf("refreshIL2DisplayThread started : [tid : %d]\n",
                static_cast<int>(refreshIL2DisplayThreadId));
    // Like every object made at start-up, the MFD lives until the process ends.
    auto* mfd = new MFD();
    uint32_t refreshMFDThreadId = platform::startThread("refreshMFDThread", refreshMFDThread, mfd);
    std::printf("refreshMFDThread started : [tid : %d]\n", static_cast<int>(refreshMFDThreadId));
}
