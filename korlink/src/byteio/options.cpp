// Transmit and receive option items, flow-control switches and time-outs
// (COMMTxXlatGet/Set, COMMRxXlatGet/Set), and saving and restoring them.
#include "device/device_io.h"
#include "frame/library_state.h"

#include <new>

using namespace korlink;

namespace {

int16_t unknownItem(const char *function, int16_t item) {
    return reportArgError(KORLINK_E_BAD_ARG2, function, "ERROR: BADPARM1. Parameter %d is unrecognized", item);
}

bool inRange(intptr_t value, intptr_t low, intptr_t high) { return value >= low && value <= high; }

template <typename Hook>
Hook hookFrom(intptr_t value) { return reinterpret_cast<Hook>(value); }

// Sets a transmit item; -104 for a value out of range, 1 for an unknown item.
int16_t setTransmitItem(Port &port, int16_t item, intptr_t value) {
    TransmitOptions &tx = port.xlat.tx;
    switch (item) {
    case 100: tx.enabled = value != 0; return 0;
    case 101: if (!inRange(value, 0, 2)) return KORLINK_E_BAD_ARG3; tx.caseMode = value; return 0;
    case 102: if (!inRange(value, 0, 8)) return KORLINK_E_BAD_ARG3; tx.lineEnding = value; return 0;
    case 103: tx.dropBit7 = value != 0; return 0;
    case 104: if (!inRange(value, -1, 255)) return KORLINK_E_BAD_ARG3; tx.pauseChar = value; return 0;
    case 105: if (!inRange(value, 0, INT32_MAX)) return KORLINK_E_BAD_ARG3; tx.pauseMs = value; return 0;
    case 106: if (!inRange(value, -1, 255)) return KORLINK_E_BAD_ARG3; tx.afterChar = value; return 0;
    case 107: if (!inRange(value, 0, INT32_MAX)) return KORLINK_E_BAD_ARG3; tx.afterMs = value; return 0;
    case 108: if (!inRange(value, 0, INT32_MAX)) return KORLINK_E_BAD_ARG3; tx.interCharMs = value; return 0;
    case 109: tx.waitEcho = value != 0; return 0;
    case 110: tx.hook = hookFrom<ByteHook>(value); return 0;
    case 111: port.watchCarrier = value != 0; return 0;
    case 112: tx.localEcho = hookFrom<ByteHook>(value); return 0;
    case 113: tx.endOfString = hookFrom<EndOfStringHook>(value); return 0;
    case 120: if (!inRange(value, 0, 7)) return KORLINK_E_BAD_ARG3;
        return static_cast<int16_t>(setTransmitFlow(port, 103, static_cast<int32_t>(value)));
    case 121: port.xlat.flow.suspended = value != 0; return 0;
    default: return 1;
    }
}

bool getTransmitItem(const Port &port, int16_t item, intptr_t &value) {
    const TransmitOptions &tx = port.xlat.tx;
    const FlowControl &flow = port.xlat.flow;
    switch (item) {
    case 100: value = tx.enabled; return true;
    case 101: value = tx.caseMode; return true;
    case 102: value = tx.lineEnding; return true;
    case 103: value = tx.dropBit7; return true;
    case 104: value = tx.pauseChar; return true;
    case 105: value = tx.pauseMs; return true;
    case 106: value = tx.afterChar; return true;
    case 107: value = tx.afterMs; return true;
    case 108: value = tx.interCharMs; return true;
    case 109: value = tx.waitEcho; return true;
    case 110: value = reinterpret_cast<intptr_t>(tx.hook); return true;
    case 111: value = port.watchCarrier; return true;
    case 112: value = reinterpret_cast<intptr_t>(tx.localEcho); return true;
    case 113: value = reinterpret_cast<intptr_t>(tx.endOfString); return true;
    case 120: value = (flow.xonXoffOutput ? 1 : 0) | (flow.cts ? 2 : 0) | (flow.dsr ? 4 : 0); return true;
    case 121: value = flow.suspended; return true;
    default: return false;
    }
}

// Receive-flow items 120 to 124 go to the driver's items 103, 105, 110, 120, 121.
int16_t receiveFlowItem(int16_t item) {
    switch (item) {
    case 120: return 103;
    case 121: return 105;
    case 122: return 110;
    case 123: return 120;
    case 124: return 121;
    default: return 0;
    }
}

int16_t setReceiveItem(Port &port, int16_t item, intptr_t value) {
    ReceiveOptions &rx = port.xlat.rx;
    switch (item) {
    case 100: rx.enabled = value != 0; return 0;
    case 101: if (!inRange(value, 0, 2)) return KORLINK_E_BAD_ARG3; rx.caseMode = value; return 0;
    case 102: if (!inRange(value, 0, 8)) return KORLINK_E_BAD_ARG3; rx.lineEnding = value; return 0;
    case 103: rx.dropBit7 = value != 0; return 0;
    case 110: rx.hook = hookFrom<ByteHook>(value); return 0;
    case 114: if (!inRange(value, 0, INT32_MAX)) return KORLINK_E_BAD_ARG3; port.xlat.receiveTimeoutMs = value; return 0;
    case 115: if (!inRange(value, 0, INT32_MAX)) return KORLINK_E_BAD_ARG3; port.xlat.lineTimeoutMs = value; return 0;
    default: break;
    }
    if (int16_t driverItem = receiveFlowItem(item); driverItem != 0) {
        if (!inRange(value, 0, 255)) return KORLINK_E_BAD_ARG3;
        int result = setReceiveFlow(port, driverItem, static_cast<int32_t>(value));
        return result == 0 ? 0 : KORLINK_E_BAD_ARG3;
    }
    return 1;
}

bool getReceiveItem(Port &port, int16_t item, intptr_t &value) {
    const ReceiveOptions &rx = port.xlat.rx;
    switch (item) {
    case 100: value = rx.enabled; return true;
    case 101: value = rx.caseMode; return true;
    case 102: value = rx.lineEnding; return true;
    case 103: value = rx.dropBit7; return true;
    case 110: value = reinterpret_cast<intptr_t>(rx.hook); return true;
    case 114: value = port.xlat.receiveTimeoutMs; return true;
    case 115: value = port.xlat.lineTimeoutMs; return true;
    default: break;
    }
    if (int16_t driverItem = receiveFlowItem(item); driverItem != 0) {
        value = readFlow(port, driverItem);
        return true;
    }
    return false;
}

}  // namespace

extern "C" {

KORLINK_API intptr_t COMMTxXlatGet(PortHandle handle, int16_t item) {
    Port *port = checkPort(handle, "COMMTxXlatGet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    intptr_t value = 0;
    return getTransmitItem(*port, item, value) ? value : unknownItem("COMMTxXlatGet()", item);
}

KORLINK_API int16_t COMMTxXlatSet(PortHandle handle, int16_t item, intptr_t value) {
    Port *port = checkPort(handle, "COMMTxXlatSet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    int16_t result = setTransmitItem(*port, item, value);
    return result == 1 ? unknownItem("COMMTxXlatSet()", item) : result;
}

KORLINK_API intptr_t COMMRxXlatGet(PortHandle handle, int16_t item) {
    Port *port = checkPort(handle, "COMMRxXlatGet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    intptr_t value = 0;
    return getReceiveItem(*port, item, value) ? value : unknownItem("COMMRxXlatGet()", item);
}

KORLINK_API int16_t COMMRxXlatSet(PortHandle handle, int16_t item, intptr_t value) {
    Port *port = checkPort(handle, "COMMRxXlatSet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    int16_t result = setReceiveItem(*port, item, value);
    return result == 1 ? unknownItem("COMMRxXlatSet()", item) : result;
}

KORLINK_API int16_t COMMSaveXlat(PortHandle handle) {
    Port *port = checkPort(handle, "COMMSaveXlat()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    try {
        port->savedXlat.push_back(port->xlat);
    } catch (const std::bad_alloc &) {
        return KORLINK_E_NO_MEMORY;
    }
    return KORLINK_OK;
}

// Only settings come back; bytes pending in a line-ending expansion and the
// flow-control state of the line stay. A peer we hold is let go when the
// restored settings hold it differently (or not at all), and an XOFF from the
// peer is forgotten when the restored settings do not pace output by it.
KORLINK_API int16_t COMMRestoreXlat(PortHandle handle) {
    Port *port = checkPort(handle, "COMMRestoreXlat()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    if (port->savedXlat.empty()) return -1;
    const FlowControl &now = port->xlat.flow;
    const FlowControl &restored = port->savedXlat.back().flow;
    bool sameHold = now.rxXon == restored.rxXon && now.rxRts == restored.rxRts &&
                    now.rxDtr == restored.rxDtr && (!now.rxXon || now.xonChar == restored.xonChar);
    if (port->line.rxHeld && !sameHold) setReceiveFlow(*port, 103, 0);
    if (!restored.xonXoffOutput) port->line.pausedByXoff = false;
    port->xlat = port->savedXlat.back();
    port->savedXlat.pop_back();
    return KORLINK_OK;
}

}  // extern "C"
