// COMMXMODEMGet/COMMXMODEMSet: the per-port XMODEM settings record.
#include "xmodem/xmodem_settings.h"

#include <cstring>
#include <new>

namespace korlink {

XmodemSettings *ensureXmodemSettings(Port &port) {
    if (!port.xmodem) {
        port.xmodem = new (std::nothrow) XmodemSettings;
        if (port.xmodem && port.watchCarrier) port.xmodem->flags |= XMODEM_FLAG_ITEM111;
    }
    return port.xmodem;
}

namespace {

constexpr size_t maxHostNameLength = 80;

void setFlag(XmodemSettings &settings, XmodemFlag flag, intptr_t value) {
    if (value) settings.flags |= flag;
    else settings.flags &= static_cast<uint16_t>(~flag);
}

void setHostFileName(XmodemSettings &settings, intptr_t value) {
    if (value == 0) {
        settings.fileName = defaultReceiveName;
        settings.flags &= static_cast<uint16_t>(~XMODEM_FLAG_NAME_FIXED);
        return;
    }
    const char *name = reinterpret_cast<const char *>(value);
    settings.fileName.assign(name, strnlen(name, maxHostNameLength));
    settings.flags |= XMODEM_FLAG_NAME_FIXED;
}

bool knownSetItem(int16_t item) {
    switch (item) {
    case 0: case 1: case 111: case 112: case 201: case 203:
    case 207: case 208: case 211: case 212:
        return true;
    default:
        return false;
    }
}

int16_t reportUnknownItem(const char *function, int16_t item) {
    return reportArgError(KORLINK_E_BAD_ARG2, function,
                          "ERROR: BADPARM1. Parameter %d is unrecognized", item);
}

}  // namespace
}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API int16_t COMMXMODEMSet(PortHandle handle, int16_t item, intptr_t value) {
    Port *port = checkPort(handle, "COMMXMODEMSet()");
    if (!port) return KORLINK_E_NULL_PORT;
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    if (!knownSetItem(item)) return reportUnknownItem("COMMXMODEMSet()", item);
    if (item == 0) {
        // Host code run inside a call on this port (a status callback of a
        // transfer) must not free the record that call is working with.
        if (port->callDepth > 0) return KORLINK_E_LOCKED;
        delete port->xmodem;
        port->xmodem = nullptr;
        return KORLINK_OK;
    }
    XmodemSettings *settings = ensureXmodemSettings(*port);
    if (!settings) return KORLINK_E_NO_MEMORY;
    try {
        switch (item) {
        case 111: setFlag(*settings, XMODEM_FLAG_ITEM111, value); break;
        case 112: setFlag(*settings, XMODEM_FLAG_RENAME, value); break;
        case 212: setFlag(*settings, XMODEM_FLAG_NO_START_WAIT, value); break;
        case 201: settings->canLimit = static_cast<int16_t>(value); break;
        case 203: settings->timeoutMs = static_cast<int32_t>(value); break;
        case 207: settings->retryLimit = static_cast<int16_t>(value); break;
        case 208: setHostFileName(*settings, value); break;
        case 211: settings->padByte = static_cast<uint8_t>(value); break;
        default: break;  // item 1: creating the record is all it does
        }
    } catch (const std::bad_alloc &) {
        return KORLINK_E_NO_MEMORY;
    }
    return KORLINK_OK;
}

KORLINK_API intptr_t COMMXMODEMGet(PortHandle handle, int16_t item) {
    Port *port = checkPort(handle, "COMMXMODEMGet()");
    if (!port) return KORLINK_E_NULL_PORT;
    const XmodemSettings *settings = port->xmodem;
    // Items 0 and 1 only act; every other settable item can be read back.
    if (item <= 1 || !knownSetItem(item)) return reportUnknownItem("COMMXMODEMGet()", item);
    if (!settings) return -1;
    switch (item) {
    case 111: return settings->hasFlag(XMODEM_FLAG_ITEM111) ? 1 : 0;
    case 112: return settings->hasFlag(XMODEM_FLAG_RENAME) ? 1 : 0;
    case 212: return settings->hasFlag(XMODEM_FLAG_NO_START_WAIT) ? 1 : 0;
    case 201: return settings->canLimit;
    case 203: return settings->timeoutMs;
    case 207: return settings->retryLimit;
    case 208: return reinterpret_cast<intptr_t>(settings->fileName.c_str());
    default: return settings->padByte;  // 211
    }
}

}  // extern "C"
