// The process's clock: the millisecond tick every deadline is measured on and
// the way idle time passes. The system clock reads CLOCK_MONOTONIC and
// sleeps; a virtual clock, chosen at run time by a harness, jumps over idle
// time so every protocol time-out passes at once and a run is repeatable.
#pragma once

#include <cstdint>

namespace korlink {

struct Clock {
    uint32_t (*now)();           // milliseconds, wrapping
    void (*passIdle)(int ms);    // lets `ms` (at least one step) go by
};

// Process-wide; the system clock at load. Chosen before any port is opened
// and left alone while transfers run. The virtual clock moves only when idle
// time passes, so it goes with the in-memory device (device/device_memory.h),
// whose waits are idle steps; a tty's waits are real polls.
void useSystemClock();
// A virtual clock starting at 0. `idleHook` (may be null) runs at every idle
// step, before the clock moves on: a harness delivers the peer's bytes there,
// so they arrive at a fixed virtual time.
void useVirtualClock(void (*idleHook)());

}  // namespace korlink
