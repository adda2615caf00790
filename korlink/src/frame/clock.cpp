#include "frame/clock.h"

#include "frame/port.h"

#include <atomic>
#include <ctime>
#include <poll.h>

namespace korlink {

namespace {

uint32_t systemNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(now.tv_sec * 1000u + now.tv_nsec / 1000000);
}

void systemPassIdle(int ms) { poll(nullptr, 0, ms); }

std::atomic<uint32_t> g_virtualNow{0};
void (*g_idleHook)() = nullptr;

uint32_t virtualNow() { return g_virtualNow.load(std::memory_order_relaxed); }

void virtualPassIdle(int ms) {
    if (g_idleHook != nullptr) g_idleHook();
    g_virtualNow.fetch_add(static_cast<uint32_t>(ms > 0 ? ms : 1), std::memory_order_relaxed);
}

constexpr Clock kSystemClock{systemNow, systemPassIdle};
constexpr Clock kVirtualClock{virtualNow, virtualPassIdle};

std::atomic<const Clock *> g_clock{&kSystemClock};

}  // namespace

void useSystemClock() { g_clock.store(&kSystemClock); }

void useVirtualClock(void (*idleHook)()) {
    g_idleHook = idleHook;
    g_virtualNow.store(0);
    g_clock.store(&kVirtualClock);
}

uint32_t tickMs() { return g_clock.load(std::memory_order_relaxed)->now(); }

void passIdleTime(int ms) { g_clock.load(std::memory_order_relaxed)->passIdle(ms); }

}  // namespace korlink
