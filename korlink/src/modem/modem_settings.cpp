// The modem settings record and its items: COMMModemGet, COMMModemSet,
// COMMModemIsFixedSpeed, COMMLinkGet.
#include "modem/modem_settings.h"

#include "byteio/byte_common.h"
#include "frame/library_state.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace korlink {

ModemSettings *ensureModemSettings(Port &port) {
    if (port.modem == nullptr) port.modem = new (std::nothrow) ModemSettings;
    return port.modem;
}

void releaseModemSettings(Port &port) {
    delete port.modem;
    port.modem = nullptr;
}

Port *modemPort(PortHandle handle, const char *function, int16_t &refusal) {
    // The byte operations' check: a background transfer's copy shares this
    // record, so a held port is refused as well.
    Port *port = bytePort(handle, function, refusal);
    if (port == nullptr) return nullptr;
    if (ensureModemSettings(*port) == nullptr) {
        refusal = KORLINK_E_NO_MEMORY;
        return nullptr;
    }
    return port;
}

int32_t settingValue(const char *setting) {
    if (std::strlen(setting) <= 3) return 0;
    return static_cast<int32_t>(std::strtol(setting + 3, nullptr, 10));
}

namespace {

struct TextField {
    char *text;
    size_t capacity;  // including the NUL
};

template <size_t N>
TextField field(char (&text)[N]) { return {text, N}; }

// The text field of items 1 to 8 and 16; {nullptr, 0} for other items.
TextField textField(ModemSettings &record, int16_t item) {
    switch (item) {
    case 1: return field(record.dialCommand);
    case 2: return field(record.echo);
    case 3: return field(record.escape);
    case 4: return field(record.resultCodes);
    case 5: return field(record.reset);
    case 6: return field(record.speaker);
    case 7: return field(record.verbose);
    case 8: return field(record.attention);
    case 16: return field(record.carrierWait);
    default: return {nullptr, 0};
    }
}

uint16_t *timeField(ModemSettings &record, int16_t item) {
    switch (item) {
    case 11: return &record.dtrDropMs;
    case 12: return &record.replyTimeoutMs;
    case 13: return &record.lineTimeoutMs;
    case 14: return &record.interCharMs;
    default: return nullptr;
    }
}

int16_t unknownItem(const char *function, int16_t item) {
    return reportArgError(KORLINK_E_BAD_ARG2, function, "ERROR: BADPARM1. Parameter %d is unrecognized", item);
}

}  // namespace
}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API intptr_t COMMModemGet(PortHandle handle, int16_t item) {
    Port *port = checkPort(handle, "COMMModemGet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    ModemSettings *record = port->modem;
    TextField text = record ? textField(*record, item) : TextField{nullptr, 0};
    bool known = (item >= 1 && item <= 8) || (item >= 11 && item <= 18);
    if (!known) return unknownItem("COMMModemGet()", item);
    if (record == nullptr) return KORLINK_E_NO_MODEM;
    if (text.text != nullptr) return reinterpret_cast<intptr_t>(text.text);
    if (uint16_t *value = timeField(*record, item)) return *value;
    switch (item) {
    case 15: return record->hasFlag(MODEM_FLAG_FIXED_SPEED) ? 1 : 0;
    case 17: return record->flags & MODEM_FLAG_INITIALISED;
    default: return reinterpret_cast<intptr_t>(record->dialReply);  // 18
    }
}

// A text item copies at most its field's number of characters; a null text
// is refused (-104) rather than read.
KORLINK_API int16_t COMMModemSet(PortHandle handle, int16_t item, intptr_t value) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemSet()", refusal);
    if (port == nullptr) return refusal;
    ModemSettings &record = *port->modem;
    if (TextField text = textField(record, item); text.text != nullptr) {
        if (value == 0)
            return reportArgError(KORLINK_E_BAD_ARG3, "COMMModemSet()", "ERROR: BADPARM2. Parameter is NULL");
        const char *source = reinterpret_cast<const char *>(value);
        size_t length = strnlen(source, text.capacity - 1);
        std::memcpy(text.text, source, length);
        text.text[length] = '\0';
        return KORLINK_OK;
    }
    if (uint16_t *time = timeField(record, item)) {
        *time = static_cast<uint16_t>(value);
        return KORLINK_OK;
    }
    switch (item) {
    case 9: record.hostValue = value; return KORLINK_OK;
    case 15:
        if (value != 0) record.flags |= MODEM_FLAG_FIXED_SPEED;
        else record.flags &= static_cast<uint8_t>(~MODEM_FLAG_FIXED_SPEED);
        return KORLINK_OK;
    default: return unknownItem("COMMModemSet()", item);
    }
}

KORLINK_API int16_t COMMModemIsFixedSpeed(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemIsFixedSpeed()", refusal);
    if (port == nullptr) return refusal;
    return port->modem->hasFlag(MODEM_FLAG_FIXED_SPEED) ? 4 : 0;
}

KORLINK_API int32_t COMMLinkGet(PortHandle handle, int16_t item) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMLinkGet()", refusal);
    if (port == nullptr) return refusal;
    const LinkState &link = port->modem->link;
    switch (item) {
    case 200: return link.carrierSpeed != 0 ? link.carrierSpeed : port->baud;
    case 201: return link.compression ? 1 : 0;
    case 202: return link.errorCorrection ? 1 : 0;
    case 203: return link.modulation00T ? 1 : 0;
    case 204: return link.v42 ? 1 : 0;
    default:
        return reportArgError(KORLINK_E_BAD_ARG2, "COMMLinkGet()", "ERROR: BADPARM1. Unrecognized link parameter");
    }
}

}  // extern "C"
