// RS-232 lines and character format: argument checks, then the port's
// device operations.
#include "device/device_format.h"
#include "frame/library_state.h"

using namespace korlink;

namespace {

int16_t unknownItem(const char *function, int16_t item) {
    return reportArgError(KORLINK_E_BAD_ARG2, function,
                          "ERROR: BADPARM1. Parameter value %u is unrecognized",
                          static_cast<unsigned>(static_cast<uint16_t>(item)));
}

bool isLineInput(int16_t item) {
    return item == KORLINK_ITEM_CTS || item == KORLINK_ITEM_DSR || item == KORLINK_ITEM_CD ||
           item == KORLINK_ITEM_RI;
}

bool isLineOutput(int16_t item) { return item == KORLINK_ITEM_RTS || item == KORLINK_ITEM_DTR; }

// Stores `code` in the data-format word's field for `item`.
void recordFormat(Port &port, int16_t item, uint16_t code) {
    switch (item) {
    case KORLINK_ITEM_STOPBITS: port.dataFormat = (port.dataFormat & ~0x03u) | (code & 0x03u); break;
    case KORLINK_ITEM_PARITY: port.dataFormat = (port.dataFormat & ~0x1Cu) | ((code & 0x07u) << 2); break;
    case KORLINK_ITEM_DATABITS: port.dataFormat = (port.dataFormat & ~0x60u) | ((code & 0x03u) << 5); break;
    default: break;
    }
}

}  // namespace

extern "C" {

KORLINK_API int16_t COMMRS232Get(PortHandle handle, int16_t item) {
    Port *port = checkPort(handle, "COMMRS232Get()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    if (!isLineInput(item) && !isLineOutput(item)) return unknownItem("COMMRS232Get()", item);
    return static_cast<int16_t>(readValue(*port, item));
}

KORLINK_API int16_t COMMRS232Set(PortHandle handle, int16_t item, int16_t state) {
    Port *port = checkPort(handle, "COMMRS232Set()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    if (state != 0 && state != 1)
        return reportArgError(KORLINK_E_BAD_ARG3, "COMMRS232Set()",
                              "ERROR: BADPARM2. Parameter is not HIGH or LOW");
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    if (!isLineOutput(item)) return unknownItem("COMMRS232Set()", item);
    setValue(*port, item, state);
    if (state == 1) port->lineOutputMask |= 1u << item;
    else port->lineOutputMask &= ~(1u << item);
    return KORLINK_OK;
}

KORLINK_API int16_t COMMRS232SendBreak(PortHandle handle, int16_t value) {
    Port *port = checkPort(handle, "COMMRS232SendBreak()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    // The break's pause runs the host's pump, which may close the port.
    PortCall call(*port);
    setValue(*port, KORLINK_ITEM_BREAK, value);  // always 300 ms
    return port->closedByHost ? int16_t{KORLINK_E_NULL_PORT} : int16_t{KORLINK_OK};
}

KORLINK_API int32_t COMMDataFormatGet(PortHandle handle, int16_t item) {
    Port *port = checkPort(handle, "COMMDataFormatGet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    switch (item) {
    case KORLINK_ITEM_STOPBITS:
    case KORLINK_ITEM_PARITY:
    case KORLINK_ITEM_DATABITS:
    case KORLINK_ITEM_FORMAT_EXTRA: return readValue(*port, item);
    case KORLINK_ITEM_BAUD: return readBaud(*port);
    default: return unknownItem("COMMDataFormatGet()", item);
    }
}

// The data-format word takes the new code even when the device refuses it.
KORLINK_API int16_t COMMDataFormatSet(PortHandle handle, int16_t item, uint16_t value) {
    Port *port = checkPort(handle, "COMMDataFormatSet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    const char *function = "COMMDataFormatSet()";
    switch (item) {
    case KORLINK_ITEM_STOPBITS:
        if (value > 3)
            return reportArgError(KORLINK_E_BAD_ARG3, function, "ERROR: BADPARM2. Stop bits value unrecognized");
        break;
    case KORLINK_ITEM_PARITY:
        if (value > 4)
            return reportArgError(KORLINK_E_BAD_ARG3, function, "ERROR: BADPARM2. Parity value unrecognized");
        break;
    case KORLINK_ITEM_DATABITS:
        if (value < 5 || value > 8)
            return reportArgError(KORLINK_E_BAD_ARG3, function,
                                  "ERROR: BADPARM2. Data bits must be between 5 and 8");
        break;
    case KORLINK_ITEM_FORMAT_EXTRA: return static_cast<int16_t>(setValue(*port, item, value));
    case KORLINK_ITEM_BAUD: return static_cast<int16_t>(setBaud(*port, value));
    default: return unknownItem(function, item);
    }
    int result = setValue(*port, item, value);
    recordFormat(*port, item, item == KORLINK_ITEM_DATABITS ? value - 5 : value);
    return static_cast<int16_t>(result);
}

}  // extern "C"
