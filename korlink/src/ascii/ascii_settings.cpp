// COMMASCIIGet/COMMASCIISet: the ASCII settings record of capture and send.
#include "ascii/ascii_settings.h"

#include "frame/library_state.h"

#include <cstring>
#include <new>

namespace korlink {

AsciiSettings *ensureAsciiSettings(Port &port) {
    if (port.ascii == nullptr) {
        port.ascii = new (std::nothrow) AsciiSettings;
        if (port.ascii != nullptr) port.ascii->carrierWatch = port.watchCarrier;
    }
    return port.ascii;
}

void releaseAsciiSettings(Port &port) {
    delete port.ascii;
    port.ascii = nullptr;
}

namespace {

constexpr size_t kMaxNameLength = 260;
constexpr const char *kDefaultName = "temp0000.$$$";
constexpr intptr_t kLastLineEnding = KORLINK_EOL_DROP_CR;
constexpr intptr_t kLongestDelayMs = 60000;

bool knownItem(int16_t item) {
    switch (item) {
    case KORLINK_ASCII_LINE_ENDING: case KORLINK_ASCII_LINE_DELAY_MS: case KORLINK_ASCII_CHAR_DELAY_MS:
    case 111: case 112: case 203: case 208: case 212: return true;
    default: return false;
    }
}

// The send's pacing and translation items take only values they can use.
bool valueInRange(int16_t item, intptr_t value) {
    switch (item) {
    case KORLINK_ASCII_LINE_ENDING: return value >= 0 && value <= kLastLineEnding;
    case KORLINK_ASCII_LINE_DELAY_MS: case KORLINK_ASCII_CHAR_DELAY_MS: return value >= 0 && value <= kLongestDelayMs;
    default: return true;
    }
}

}  // namespace
}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API intptr_t COMMASCIIGet(PortHandle handle, int16_t item) {
    Port *port = checkPort(handle, "COMMASCIIGet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    if (!knownItem(item))
        return reportArgError(KORLINK_E_BAD_ARG2, "COMMASCIIGet()", "ERROR: BADPARM1. Parameter %d is unrecognized", item);
    const AsciiSettings *record = port->ascii;
    if (record == nullptr) return -1;
    switch (item) {
    case 111: return record->carrierWatch ? 1 : 0;
    case 112: return record->rename ? 1 : 0;
    case 203: return record->timeoutMs;
    case 212: return record->endChar;
    case KORLINK_ASCII_LINE_ENDING: return record->lineEnding;
    case KORLINK_ASCII_LINE_DELAY_MS: return record->lineDelayMs;
    case KORLINK_ASCII_CHAR_DELAY_MS: return record->charDelayMs;
    default: return reinterpret_cast<intptr_t>(record->fileName.c_str());  // 208
    }
}

// Item 208 with value 0 puts the default name back; a line-ending mode or a
// delay out of range is refused with -104. The record is shared
// with a running background capture, so it cannot change meanwhile (-122).
KORLINK_API int16_t COMMASCIISet(PortHandle handle, int16_t item, intptr_t value) {
    Port *port = checkPort(handle, "COMMASCIISet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    if (item != 0 && item != 1 && !knownItem(item))
        return reportArgError(KORLINK_E_BAD_ARG2, "COMMASCIISet()", "ERROR: BADPARM1. Parameter %ld is unrecognized",
                              static_cast<long>(item));
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    if (!valueInRange(item, value)) return KORLINK_E_BAD_ARG3;
    if (item == 0) {
        releaseAsciiSettings(*port);
        return KORLINK_OK;
    }
    AsciiSettings *record = ensureAsciiSettings(*port);
    if (record == nullptr) return KORLINK_E_NO_MEMORY;
    try {
        switch (item) {
        case 111: record->carrierWatch = value != 0; break;
        case 112: record->rename = value != 0; break;
        case 203: record->timeoutMs = static_cast<int32_t>(value); break;
        case 212: record->endChar = static_cast<int16_t>(value); break;
        case KORLINK_ASCII_LINE_ENDING: record->lineEnding = static_cast<int16_t>(value); break;
        case KORLINK_ASCII_LINE_DELAY_MS: record->lineDelayMs = static_cast<int32_t>(value); break;
        case KORLINK_ASCII_CHAR_DELAY_MS: record->charDelayMs = static_cast<int32_t>(value); break;
        case 208: {
            const char *name = value != 0 ? reinterpret_cast<const char *>(value) : kDefaultName;
            record->fileName.assign(name, strnlen(name, kMaxNameLength));
            break;
        }
        default: break;  // item 1 only creates the record
        }
    } catch (const std::bad_alloc &) {
        return KORLINK_E_NO_MEMORY;
    }
    return KORLINK_OK;
}

}  // extern "C"
