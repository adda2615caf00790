// The port object behind a PortHandle, and the library-internal services every
// family uses: handle validation, argument-error reports, last-error codes.
#pragma once

#include "korlink.h"

#include <cstdint>

namespace korlink {

struct XmodemSettings;  // xmodem_settings.h
struct TransferState;   // xmodem_settings.h

// One open port. A PortHandle is the address of a Port. The object is
// copyable on purpose: a background transfer works on a private copy that
// shares the device descriptor and is registered as live for its duration.
struct Port {
    // --- frame (port table, errors) ---
    int32_t lastError = 0;         // COMMErrnoGet returns and clears it
    bool backgroundLock = false;   // a background transfer owns the host's handle
    bool cancelPending = false;    // set by COMMXferCancel, cleared by the next wait
    bool watchCarrier = false;     // carrier loss ends waits with -112
    int16_t cancelKey = 283;       // Escape
    intptr_t windowHandle = 0;     // COMMPortSet 108
    int fd = -1;                   // the open device

    // --- transfer families (owned; freed at close by releaseTransferRecords) ---
    XmodemSettings *xmodem = nullptr;
    TransferState *transfer = nullptr;
    int16_t sendQueue = -1;        // queue number of the running fsend
};

inline PortHandle handleOf(Port *port) { return reinterpret_cast<PortHandle>(port); }

// The live port for a handle, or nullptr when the handle is null or designates
// no live port object (never dereferences a dead handle).
Port *livePort(PortHandle handle);

// Validates a handle for an export: reports "ERROR: BADPARM0. Parameter is
// NULL" with `function` (for example "c_putc()") and returns nullptr when it
// is not live.
Port *checkPort(PortHandle handle, const char *function);

// Private copies used by background transfers count as live while they run.
void addLive(Port *port);
void removeLive(Port *port);

// Shows an argument error while the report switch is on: the formatted
// message, "\r\n", "Function: " and `function`. Returns `code`.
int16_t reportArgError(int16_t code, const char *function, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// The library-wide last error (for failures without a port) and close code.
void setLibraryError(int32_t code);
void setCloseCode(int32_t code);

// Millisecond tick from CLOCK_MONOTONIC.
uint32_t tickMs();

// Frees the XMODEM settings and transfer state of a port being closed.
void releaseTransferRecords(Port &port);

}  // namespace korlink
