// Waits with a deadline for what a test cannot be told about directly (a
// background transfer ending, bytes arriving on a pty, a timer firing).
#pragma once

#include <chrono>
#include <thread>

namespace testsupport {

// Checks `done` every `step` until it holds or `timeout` has passed; returns
// whether it held. Sleeps between checks, so a waiting test never spins a
// core, and a wait that never ends fails the test instead of hanging it.
template <typename Predicate>
bool waitUntil(Predicate done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds step = std::chrono::milliseconds(2)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return done();
        std::this_thread::sleep_for(step);
    }
    return true;
}

}  // namespace testsupport
