// Port items (COMMPortGet/COMMPortSet) and the last-error codes.
#include "device/device_format.h"
#include "frame/library_state.h"

#include <termios.h>

using namespace korlink;

namespace {

int16_t unknownItem(int16_t code, const char *function, int16_t item) {
    return reportArgError(code, function, "ERROR: BADPARM1. Parameter %d is unrecognized", item);
}

}  // namespace

extern "C" {

KORLINK_API intptr_t COMMPortGet(PortHandle handle, int16_t item) {
    if (item == -122) {
        Port *port = livePort(handle);
        return (port == nullptr || heldByBackground(*port)) ? 1 : 0;
    }
    Port *port = checkPort(handle, "COMMPortGet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    switch (item) {
    case 100: return port->fd;
    case 101: return port->portNumber;
    case 102: {
        termios block{};
        readSettingsBlock(*port, block);  // refreshes the port's copy when the device answers
        return reinterpret_cast<intptr_t>(&port->deviceSettings);
    }
    case 103: return port->counter103;
    case 104: return port->value104;
    case 105: return port->value105;
    case 106: return port->terminal;
    case 107: return port->userValue;
    case 108: return port->windowHandle;
    case 110: return port->registered ? 1 : 0;
    case 111: return port->statusBits;
    case 112: return port->item112;
    case 113: return port->referenceCount;
    case 115: return reportSwitch() ? 1 : 0;
    default: unknownItem(0, "COMMPortGet()", item); return 0;
    }
}

// Item 102 takes the address of a termios record and writes it to the device.
KORLINK_API int16_t COMMPortSet(PortHandle handle, int16_t item, intptr_t value) {
    Port *port = checkPort(handle, "COMMPortSet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    switch (item) {
    case 100: port->fd = static_cast<int>(value); return 0;
    case 101: port->portNumber = static_cast<int16_t>(value); return 0;
    case 102: {
        if (value == 0) return KORLINK_E_BAD_ARG3;
        return writeSettingsBlock(*port, *reinterpret_cast<const termios *>(value)) ? 0 : -1;
    }
    case 103: port->counter103 = static_cast<int16_t>(value); return 0;
    case 104: port->value104 = value; return 0;
    case 105: port->value105 = value; return 0;
    case 106: port->terminal = value; return 0;
    case 107: port->userValue = value; return 0;
    case 108: port->windowHandle = value; return 0;
    case 109: port->backgroundLock = value != 0; return 0;
    case 113: port->referenceCount = static_cast<int16_t>(value); return 0;
    case 114: port->transfer = reinterpret_cast<TransferState *>(value); return 0;
    case 115: setReportSwitch(value != 0); return 0;
    default: return unknownItem(-1, "COMMPortSet()", item);
    }
}

// A null handle reads the library-wide code; a dead one is refused like any
// other port function would.
KORLINK_API int16_t COMMErrnoGet(PortHandle handle) {
    if (handle == nullptr) return static_cast<int16_t>(takeLibraryError());
    Port *port = checkPort(handle, "COMMErrnoGet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    // A running background transfer publishes its outcome when it drops the
    // lock: a poll before that must neither read a half-written code nor
    // take it away.
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    return static_cast<int16_t>(std::atomic_ref<int32_t>(port->lastError).exchange(0, std::memory_order_acq_rel));
}

}  // extern "C"
