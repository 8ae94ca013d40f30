#pragma once

#include <chrono>
#include <thread>

namespace testsupport {

// Polls `condition` every 20 ms until it holds or `seconds` pass; whether it
// held.
template <typename Condition>
bool waitUntil(double seconds, Condition condition) {
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace testsupport
