// Ending a call: COMMModemHangup and COMMModemGoCommand.
#include "frame/library_state.h"
#include "modem/modem_command.h"
#include "modem/modem_settings.h"

namespace korlink {

namespace {

bool carrierHigh(PortHandle handle) { return COMMRS232Get(handle, KORLINK_ITEM_CD) == 1; }

bool portClosed(PortHandle handle, const Port &port) { return livePort(handle) != &port; }

// A hang-up loses the carrier on purpose: the carrier watch is off meanwhile,
// so its own waits and sends are not ended by it (-112).
class CarrierWatchOff {
public:
    explicit CarrierWatchOff(Port &port) : m_port(port), m_watching(port.watchCarrier) { port.watchCarrier = false; }
    ~CarrierWatchOff() {
        if (!portClosed(handleOf(&m_port), m_port)) m_port.watchCarrier = m_watching;
    }
    CarrierWatchOff(const CarrierWatchOff &) = delete;
    CarrierWatchOff &operator=(const CarrierWatchOff &) = delete;

private:
    Port &m_port;
    bool m_watching;
};

}  // namespace

// The escape sequence between two guard times: the pause character stands
// for the DTR-drop time, so the modem hears silence, three escape characters
// and silence again.
int16_t escapeToCommandMode(Port &port) {
    PortHandle handle = handleOf(&port);
    if (!carrierHigh(handle)) return KORLINK_OK;
    const ModemSettings &record = *port.modem;
    if (COMMSaveXlat(handle) != KORLINK_OK) return KORLINK_E_NO_MEMORY;
    TransmitOptions &tx = port.xlat.tx;
    tx.enabled = true;
    tx.pauseChar = static_cast<unsigned char>(record.pauseChar);
    tx.pauseMs = record.dtrDropMs;
    char escape = static_cast<char>(settingValue(record.escape));
    const char sequence[] = {record.pauseChar, escape, escape, escape, record.pauseChar, '\0'};
    c_puts(handle, sequence);
    if (portClosed(handle, port)) return KORLINK_E_NULL_PORT;
    COMMRestoreXlat(handle);
    return KORLINK_OK;
}

// Dropping DTR hangs up a modem set to follow it (&D2); one that does not
// answer with NO CARRIER is escaped to command mode and told to hang up.
int16_t hangUp(Port &port) {
    PortHandle handle = handleOf(&port);
    if (!carrierHigh(handle)) return KORLINK_OK;
    const ModemSettings &record = *port.modem;
    CarrierWatchOff watchOff(port);
    c_txflush(handle, 0);
    int16_t dtr = COMMRS232Get(handle, KORLINK_ITEM_DTR);
    COMMRS232Set(handle, KORLINK_ITEM_DTR, 0);
    ms_pause(record.dtrDropMs);
    if (portClosed(handle, port)) return KORLINK_E_NULL_PORT;
    COMMRS232Set(handle, KORLINK_ITEM_DTR, dtr == 0 ? 0 : 1);
    int16_t found = c_rxpeeks(handle, "NO CARRIER", 1000);
    if (found == KORLINK_E_NULL_PORT) return found;
    if (carrierHigh(handle) && escapeToCommandMode(port) == KORLINK_E_NULL_PORT) return KORLINK_E_NULL_PORT;
    if (found < 0) {
        c_puts(handle, "+++");
        ms_pause(500);
        if (portClosed(handle, port)) return KORLINK_E_NULL_PORT;
        int16_t result = runCommand(port, "H0");
        if (result == KORLINK_E_NULL_PORT) return result;
        return runCommand(port, "H0");
    }
    ms_pause(500);
    if (portClosed(handle, port)) return KORLINK_E_NULL_PORT;
    return carrierHigh(handle) ? 1 : 0;
}

}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API int16_t COMMModemHangup(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemHangup()", refusal);
    if (port == nullptr) return refusal;
    return hangUp(*port);
}

KORLINK_API int16_t COMMModemGoCommand(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemGoCommand()", refusal);
    if (port == nullptr) return refusal;
    return escapeToCommandMode(*port);
}

}  // extern "C"
