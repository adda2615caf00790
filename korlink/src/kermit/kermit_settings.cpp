// COMMKermitGet/COMMKermitSet: the per-port Kermit settings record.
#include "kermit/kermit_settings.h"

#include <cstring>
#include <new>

namespace korlink {

KermitSettings *ensureKermitSettings(Port &port) {
    if (!port.kermit) {
        port.kermit = new (std::nothrow) KermitSettings;
        if (port.kermit) {
            // The parity the port is set to (bits 2-4 of its data-format
            // word), also where the device cannot apply it.
            port.kermit->parity = ((port.dataFormat >> 2) & 7) != 0;
            port.kermit->carrierWatch = port.watchCarrier;
        }
    }
    return port.kermit;
}

void releaseKermitSettings(Port &port) {
    delete port.kermit;
    port.kermit = nullptr;
}

namespace {

constexpr size_t maxHostNameLength = 260;

// Items 500..510 address the set in use, 511..521 the set asked for, in
// this order of fields.
int16_t KermitParams::*const numberFields[] = {
    &KermitParams::mark, &KermitParams::maxl, &KermitParams::time, &KermitParams::npad,
    &KermitParams::padc, &KermitParams::eol,  &KermitParams::qctl, &KermitParams::qbin,
    &KermitParams::chkt, &KermitParams::rept};

bool isParamItem(int16_t item) { return item >= 500 && item <= 521; }

KermitParams &paramSet(KermitSettings &settings, int16_t item) {
    return item >= 511 ? settings.asked : settings.inUse;
}

int fieldIndex(int16_t item) { return item >= 511 ? item - 511 : item - 500; }

bool knownItem(int16_t item) {
    switch (item) {
    case 111: case 112: case 203: case 204: case 207: case 208:
        return true;
    default:
        return isParamItem(item);
    }
}

int16_t reportUnknownItem(const char *function, int16_t item) {
    return reportArgError(KORLINK_E_BAD_ARG2, function,
                          "ERROR: BADPARM1. Parameter %d is unrecognized", item);
}

void setParam(KermitSettings &settings, int16_t item, intptr_t value) {
    KermitParams &set = paramSet(settings, item);
    int index = fieldIndex(item);
    if (index == 10) set.extra = value;
    else set.*numberFields[index] = static_cast<int16_t>(value);
}

intptr_t getParam(KermitSettings &settings, int16_t item) {
    KermitParams &set = paramSet(settings, item);
    int index = fieldIndex(item);
    return index == 10 ? set.extra : set.*numberFields[index];
}

}  // namespace
}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API int16_t COMMKermitSet(PortHandle handle, int16_t item, intptr_t value) {
    Port *port = checkPort(handle, "COMMKermitSet()");
    if (!port) return KORLINK_E_NULL_PORT;
    // A running background transfer reads the record on its worker.
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    if (item == 0) {
        releaseKermitSettings(*port);
        return KORLINK_OK;
    }
    if (!knownItem(item)) return reportUnknownItem("COMMKermitSet()", item);
    KermitSettings *settings = ensureKermitSettings(*port);
    if (!settings) return KORLINK_E_NO_MEMORY;
    try {
        switch (item) {
        case 111: settings->carrierWatch = value != 0; break;
        case 112: settings->rename = value != 0; break;
        case 204: settings->keepPartial = value != 0; break;
        case 203: settings->timeoutMs = static_cast<int32_t>(value); break;
        case 207: settings->retryLimit = static_cast<int16_t>(value); break;
        case 208:
            if (value == 0) settings->fileName.clear();
            else settings->fileName.assign(reinterpret_cast<const char *>(value),
                                           strnlen(reinterpret_cast<const char *>(value),
                                                   maxHostNameLength));
            break;
        default: setParam(*settings, item, value); break;
        }
    } catch (const std::bad_alloc &) {
        return KORLINK_E_NO_MEMORY;
    }
    return KORLINK_OK;
}

KORLINK_API intptr_t COMMKermitGet(PortHandle handle, int16_t item) {
    Port *port = checkPort(handle, "COMMKermitGet()");
    if (!port) return KORLINK_E_NULL_PORT;
    if (!knownItem(item)) return reportUnknownItem("COMMKermitGet()", item);
    KermitSettings *settings = port->kermit;
    if (!settings) return -1;
    switch (item) {
    case 111: return settings->carrierWatch ? 1 : 0;
    case 112: return settings->rename ? 1 : 0;
    case 204: return settings->keepPartial ? 1 : 0;
    case 203: return settings->timeoutMs;
    case 207: return settings->retryLimit;
    case 208: return reinterpret_cast<intptr_t>(settings->fileName.c_str());
    default: return getParam(*settings, item);
    }
}

}  // extern "C"
