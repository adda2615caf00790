// COMMZMODEMGet/COMMZMODEMSet: the per-port ZMODEM settings record.
#include "zmodem/zmodem_settings.h"

#include "zmodem/zmodem_frame.h"

#include <algorithm>
#include <new>

namespace korlink {

ZmodemSettings *ensureZmodemSettings(Port &port) {
    if (!port.zmodem) {
        port.zmodem = new (std::nothrow) ZmodemSettings;
        if (port.zmodem) port.zmodem->carrierWatch = port.watchCarrier;
    }
    return port.zmodem;
}

void releaseZmodemSettings(Port &port) {
    delete port.zmodem;
    port.zmodem = nullptr;
}

namespace {

bool knownItem(int16_t item) {
    switch (item) {
    case KORLINK_ZMODEM_FREE: case KORLINK_ZMODEM_CREATE: case KORLINK_ZMODEM_CARRIER_WATCH:
    case KORLINK_ZMODEM_RENAME: case KORLINK_ZMODEM_TIMEOUT_MS: case KORLINK_ZMODEM_RETRY_LIMIT:
    case KORLINK_ZMODEM_ESCAPE_ALL: case KORLINK_ZMODEM_CRC32: case KORLINK_ZMODEM_RESUME:
    case KORLINK_ZMODEM_RECEIVE_BUFFER: case KORLINK_ZMODEM_SUBPACKET:
        return true;
    default:
        return false;
    }
}

int16_t reportUnknownItem(const char *function, int16_t item) {
    return reportArgError(KORLINK_E_BAD_ARG2, function, "ERROR: BADPARM1. Parameter %d is unrecognized", item);
}

}  // namespace
}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API int16_t COMMZMODEMSet(PortHandle handle, int16_t item, intptr_t value) {
    Port *port = checkPort(handle, "COMMZMODEMSet()");
    if (!port) return KORLINK_E_NULL_PORT;
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    if (!knownItem(item)) return reportUnknownItem("COMMZMODEMSet()", item);
    if (item == KORLINK_ZMODEM_FREE) {
        // A status callback of a transfer must not free the record in use.
        if (port->callDepth > 0) return KORLINK_E_LOCKED;
        releaseZmodemSettings(*port);
        return KORLINK_OK;
    }
    ZmodemSettings *settings = ensureZmodemSettings(*port);
    if (!settings) return KORLINK_E_NO_MEMORY;
    switch (item) {
    case KORLINK_ZMODEM_CARRIER_WATCH: settings->carrierWatch = value != 0; break;
    case KORLINK_ZMODEM_RENAME: settings->rename = value != 0; break;
    case KORLINK_ZMODEM_TIMEOUT_MS: settings->timeoutMs = static_cast<int32_t>(std::max<intptr_t>(value, 1)); break;
    case KORLINK_ZMODEM_RETRY_LIMIT: settings->retryLimit = static_cast<int16_t>(std::clamp<intptr_t>(value, 1, 1000)); break;
    case KORLINK_ZMODEM_ESCAPE_ALL: settings->escapeAll = value != 0; break;
    case KORLINK_ZMODEM_CRC32: settings->crc32 = value != 0; break;
    case KORLINK_ZMODEM_RESUME: settings->resume = value != 0; break;
    case KORLINK_ZMODEM_RECEIVE_BUFFER:
        settings->receiveBuffer = static_cast<int32_t>(std::clamp<intptr_t>(value, 0, maxZmodemReceiveBuffer));
        break;
    case KORLINK_ZMODEM_SUBPACKET:
        settings->subpacketLength = static_cast<int32_t>(
            std::clamp<intptr_t>(value, minZmodemSubpacket, static_cast<intptr_t>(zmodemMaxSubpacket)));
        break;
    default: break;  // item 1: creating the record is all it does
    }
    return KORLINK_OK;
}

KORLINK_API intptr_t COMMZMODEMGet(PortHandle handle, int16_t item) {
    Port *port = checkPort(handle, "COMMZMODEMGet()");
    if (!port) return KORLINK_E_NULL_PORT;
    if (item <= KORLINK_ZMODEM_CREATE || !knownItem(item)) return reportUnknownItem("COMMZMODEMGet()", item);
    const ZmodemSettings *settings = port->zmodem;
    if (!settings) return -1;
    switch (item) {
    case KORLINK_ZMODEM_CARRIER_WATCH: return settings->carrierWatch ? 1 : 0;
    case KORLINK_ZMODEM_RENAME: return settings->rename ? 1 : 0;
    case KORLINK_ZMODEM_TIMEOUT_MS: return settings->timeoutMs;
    case KORLINK_ZMODEM_RETRY_LIMIT: return settings->retryLimit;
    case KORLINK_ZMODEM_ESCAPE_ALL: return settings->escapeAll ? 1 : 0;
    case KORLINK_ZMODEM_CRC32: return settings->crc32 ? 1 : 0;
    case KORLINK_ZMODEM_RESUME: return settings->resume ? 1 : 0;
    case KORLINK_ZMODEM_RECEIVE_BUFFER: return settings->receiveBuffer;
    default: return settings->subpacketLength;
    }
}

}  // extern "C"
