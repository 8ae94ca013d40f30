#include "app/main_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "app/mutex_names.h"

namespace {

class MainLoopTest : public ::testing::Test {
  protected:
    void push(const std::string& answer) {
        platform::MutexLock lock(mutexBuffer);
        queue.push_front(makeBufferCell(answer.data(), static_cast<int32_t>(answer.size())));
    }

    bool pass() { return mainLoopPass(queue, il2d, mutexBuffer, mutexIL2Data); }

    static std::string speedAnswer(int value) { return "A/30\\" + std::to_string(value); }

    ReceiveQueue queue;
    IL2Data il2d;
    platform::NamedMutex mutexBuffer = platform::NamedMutex::open(kMutexBuffer);
    platform::NamedMutex mutexIL2Data = platform::NamedMutex::open(kMutexIL2Data);
};

TEST_F(MainLoopTest, CellsWaitingTogetherAreParsedInArrivalOrder) {
    push(speedAnswer(1));
    push(speedAnswer(2));
    ASSERT_TRUE(pass());
    EXPECT_EQ(il2d.speedometer_indicated, 1.0f);
    ASSERT_TRUE(pass());
    EXPECT_EQ(il2d.speedometer_indicated, 2.0f);
    EXPECT_TRUE(queue.empty());
}

TEST_F(MainLoopTest, ConcurrentProducerIsDrainedInOrder) {
    constexpr int kCount = 2000;
    std::thread producer([&] {
        for (int i = 1; i <= kCount; ++i) {
            push(speedAnswer(i));
        }
    });
    int handled = 0;
    while (handled < kCount) {
        if (pass()) {
            ++handled;
            // Each parse must see the next answer in arrival order.
            ASSERT_EQ(il2d.speedometer_indicated, static_cast<float>(handled));
        }
    }
    producer.join();
}

TEST_F(MainLoopTest, AnEmptyQueueLeavesTheRecordAloneAndAnEmptyCellIsTaken) {
    EXPECT_FALSE(pass());
    push("");
    EXPECT_TRUE(pass());
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(il2d.speedometer_indicated, 0.0f);
    EXPECT_STREQ(il2d.plane, "PLANE");
}

TEST_F(MainLoopTest, BufferMutexIsFreeWhileWaitingForTheRecord) {
    push(speedAnswer(7));
    mutexIL2Data.lock();  // the loop will take the cell, then block on the record
    std::thread loop([&] { pass(); });
    // Once the cell has left the queue the loop waits for the record; the
    // queue must stay reachable all the while.
    bool taken = false;
    bool reachable = true;
    while (!taken && reachable) {
        reachable = mutexBuffer.tryLockFor(1000);
        if (reachable) {
            taken = queue.empty();
            mutexBuffer.unlock();
        }
    }
    EXPECT_TRUE(reachable);
    EXPECT_TRUE(mutexBuffer.tryLockFor(1000));
    mutexBuffer.unlock();
    mutexIL2Data.unlock();
    loop.join();
    EXPECT_EQ(il2d.speedometer_indicated, 7.0f);
}

}  // namespace
