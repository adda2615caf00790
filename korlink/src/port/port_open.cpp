// Opening and closing ports: COMMWinInit, COMMPortDeinit.
#include "common/com_device.h"
#include "device/device_format.h"
#include "device/device_open.h"
#include "frame/library_state.h"

using namespace korlink;

extern "C" {

KORLINK_API PortHandle COMMWinInit(int16_t port, int32_t baud, int16_t dataBits, int16_t parity,
                                   int16_t stopBits, int16_t rxBufferSize, int16_t txBufferSize) {
    setLibraryError(KORLINK_E_NO_MEMORY);
    Port *object = newPort(rxBufferSize, txBufferSize);
    if (object == nullptr) return nullptr;
    object->portNumber = static_cast<int16_t>(common::comNumber(port));
    if (openDevice(*object, object->portNumber) != KORLINK_OK) {
        deletePort(object);
        setLibraryError(KORLINK_E_DEVICE);
        return nullptr;
    }
    int configured = configureDevice(*object, baud, dataBits, parity, stopBits);
    object->baud = baud;
    object->item112 = 8;
    object->optionFlags &= ~3u;
    object->cancelKey = 283;
    int16_t registered = configured == KORLINK_OK ? registerPort(*object) : int16_t{KORLINK_E_DEVICE};
    if (registered != KORLINK_OK) {
        // Settings saved by a successful configure are written back.
        closeDevice(*object, configured != KORLINK_OK);
        deletePort(object);
        setLibraryError(registered);
        return nullptr;
    }
    setLibraryError(1);  // what the settings steps leave behind on success
    return handleOf(object);
}

KORLINK_API int16_t COMMPortDeinit(PortHandle handle, int16_t keepSettings) {
    Port *port = checkPort(handle, "COMMPortDeinit()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    // A background transfer's copy is live but not in the table; it shares
    // the device, receive buffer and transfer records with its port.
    if (!inPortTable(*port)) return KORLINK_E_STILL_REFERENCED;
    if (port->referenceCount > 1) {
        --port->referenceCount;
        setCloseCode(KORLINK_E_STILL_REFERENCED);
        return KORLINK_OK;
    }
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    int16_t result = unregisterPort(*port);
    closeDevice(*port, keepSettings != 0);
    removeLive(port);
    // Closed from host code that an export on this port is running: that
    // export frees the object when it returns (PortCall).
    if (port->callDepth > 0) {
        port->closedByHost = true;
        return result;
    }
    releaseFamilyRecords(*port);
    deletePort(port);
    return result;
}

}  // extern "C"
