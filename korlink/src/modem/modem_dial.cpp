// Dialling and waiting for its outcome: COMMModemDial, COMMModemWaitResponse.
#include "device/device_format.h"
#include "device/device_io.h"
#include "frame/library_state.h"
#include "modem/modem_command.h"
#include "modem/modem_reply.h"
#include "modem/modem_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace korlink {

namespace {

constexpr int kDialReplyLimit = 81;        // bytes looked at; the record keeps 82 with the NUL
constexpr uint32_t kAfterConnectMs = 2000; // time given to the lines that follow CONNECT

// The received bytes of one dial, looked at without removing them.
class DialReply {
public:
    explicit DialReply(char (&text)[82]) : m_text(text) { std::memset(m_text, 0, sizeof text); }

    // Appends what has arrived since the last look; true when anything did.
    bool look(Port &port) {
        bool grew = false;
        for (int byte; m_count < kDialReplyLimit && (byte = peekByte(port, m_count)) >= 0; grew = true)
            m_text[m_count++] = static_cast<char>(byte);
        return grew;
    }

    bool full() const { return m_count >= kDialReplyLimit; }

    // Where `text` begins in the bytes so far (NUL bytes included), or nullptr.
    const char *find(const char *text) const {
        return static_cast<const char *>(memmem(m_text, m_count, text, std::strlen(text)));
    }
    bool has(const char *text) const { return find(text) != nullptr; }
    // The first whole numeric reply (a modem with verbose results off), or -1.
    int16_t numeric() const { return numericReply(m_text, static_cast<size_t>(m_count)); }

    // The first run of digits after `label` on the same line, or 0.
    int32_t numberAfter(const char *label) const {
        const char *at = find(label);
        if (at == nullptr) return 0;
        const char *end = m_text + m_count;
        const char *p = at + std::strlen(label);
        while (p < end && !std::isdigit(static_cast<unsigned char>(*p)) && *p != '\r' && *p != '\n') ++p;
        int32_t value = 0;
        for (; p < end && std::isdigit(static_cast<unsigned char>(*p)) && value < 10000000; ++p)
            value = value * 10 + (*p - '0');
        return value;
    }

private:
    char (&m_text)[82];
    int m_count = 0;
};

// A reply that ends the wait before CONNECT; -1 while none has come.
int16_t failureReply(const DialReply &reply) {
    if (reply.has("NO ANSWER")) return 8;
    if (reply.has("NO DIAL")) return 6;
    if (reply.has("ERROR\r")) return 4;
    if (reply.has("NO CARRIER\r")) return 3;
    int16_t number = reply.numeric();
    bool failure = number == 3 || number == 4 || number == 6 || number == 7 || number == 8;
    return failure ? number : -1;
}

// A connection in words, or in numbers ("12" CR is CONNECT 9600).
bool connectReply(const DialReply &reply) { return reply.has("CONNECT") || connectSpeed(reply.numeric()) >= 0; }

void readLink(Port &port, const DialReply &reply, LinkState &link) {
    link = LinkState{};
    link.connectSpeed = link.carrierSpeed = port.baud;
    if (int32_t speed = connectSpeed(reply.numeric()); speed > 0) link.connectSpeed = link.carrierSpeed = speed;
    if (int32_t speed = reply.numberAfter("CONNECT "); speed != 0) link.connectSpeed = link.carrierSpeed = speed;
    if (int32_t speed = reply.numberAfter("CARRIER "); speed != 0) link.carrierSpeed = speed;
    link.errorCorrection = reply.has("ALT") || reply.has("REL") || reply.has("MNP") ||
                           reply.has("COMPRESSION: CLASS 5");
    link.v42 = reply.has("V42") || reply.has("LAP-M");
    link.v32bis = reply.has("V32B");
    link.modulation00T = reply.has("00T");
    link.compression = reply.has("COMPRESSION: V.") || reply.has("COMPRESSION: CLASS 5") || reply.has("V42B");
}

// The dial's outcome: 0 connected, a table number (7, 8, 6, 4, 3), -1 when
// the limit passed or 81 bytes came without a recognised reply, -123
// cancelled, -102 when the host closed the port. The limit is the
// wait-for-carrier setting in seconds (60 by default, at most 64).
int16_t awaitOutcome(Port &port, DialReply &reply) {
    PortHandle handle = handleOf(&port);
    int32_t seconds = std::clamp<int32_t>(settingValue(port.modem->carrierWait), 1, 64);
    uint32_t limit = tickMs() + static_cast<uint32_t>(seconds) * 1000u;
    bool connected = false;
    uint32_t connectedAt = 0;
    for (;;) {
        reply.look(port);
        if (!connected) {
            if (__atomic_exchange_n(&port.cancelPending, false, __ATOMIC_ACQ_REL)) return KORLINK_E_CANCELLED;
            if (int16_t stop = cancelCheck(port); stop != 0) return stop;
            if (reply.has("BUSY")) return 7;
            if (connectReply(reply)) {
                connected = true;
                connectedAt = tickMs();
            }
            if (int16_t failed = failureReply(reply); failed >= 0) return failed;
        } else {
            pumpHost();  // the user interface stays live; keys no longer stop a connected dial
            if (livePort(handle) != &port) return KORLINK_E_NULL_PORT;
        }
        if (reply.full() || tickReached(limit)) break;
        if (connected && tickMs() - connectedAt >= kAfterConnectMs) break;
        if (!pollInput(port, 10)) break;  // the device failed or hung up
    }
    return connected ? 0 : -1;
}

int16_t waitResponse(Port &port) {
    ModemSettings &record = *port.modem;
    PortHandle handle = handleOf(&port);
    if (COMMSaveXlat(handle) != KORLINK_OK) return KORLINK_E_NO_MEMORY;
    port.xlat.rx.enabled = true;
    port.xlat.lineTimeoutMs = std::clamp<int32_t>(settingValue(record.carrierWait), 0, 64) * 1000;
    port.xlat.receiveTimeoutMs = 5 * record.replyTimeoutMs;
    bool watching = port.watchCarrier;
    port.watchCarrier = false;
    DialReply reply(record.dialReply);
    int16_t result = awaitOutcome(port, reply);
    if (result == KORLINK_E_NULL_PORT) return result;
    if (result == 0) readLink(port, reply, record.link);
    // Connected without a carrier to watch: watching it would end every wait.
    port.watchCarrier = watching && !(result == 0 && COMMRS232Get(handle, KORLINK_ITEM_CD) == 0);
    COMMRestoreXlat(handle);
    return result;
}

}  // namespace
}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API int16_t COMMModemWaitResponse(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemWaitResponse()", refusal);
    if (port == nullptr) return refusal;
    return waitResponse(*port);
}

KORLINK_API int16_t COMMModemDial(PortHandle handle, const char *number) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemDial()", refusal);
    if (port == nullptr) return refusal;
    const char *function = "COMMModemDial()";
    if (number == nullptr) return reportArgError(KORLINK_E_BAD_ARG2, function, "ERROR: BADPARM1. Parameter is NULL");
    if (std::strlen(number) >= 41)
        return reportArgError(KORLINK_E_BAD_ARG2, function, "ERROR: BADPARM1. Parameter has too many digits");
    char line[48];
    std::snprintf(line, sizeof line, "%s%s", port->modem->dialCommand, number);
    bool dtrWasLow = COMMRS232Get(handle, KORLINK_ITEM_DTR) == 0;
    if (dtrWasLow) COMMRS232Set(handle, KORLINK_ITEM_DTR, 1);
    ms_pause(1000);
    if (livePort(handle) != port) return KORLINK_E_NULL_PORT;
    c_rxflush(handle, 0);
    int16_t result = sendCommandLine(*port, line);
    if (result >= 0) {
        ms_pause(2000);
        if (livePort(handle) != port) return KORLINK_E_NULL_PORT;
        result = waitResponse(*port);
    }
    if (result == KORLINK_E_NULL_PORT) return result;
    // Only a connection reports a speed; the baud rate follows the carrier
    // unless the modem keeps a fixed speed to the computer.
    int32_t speed = port->modem->link.carrierSpeed;
    if (result == 0 && !port->modem->hasFlag(MODEM_FLAG_FIXED_SPEED) && speed != 0 && speed != 14400)
        setBaud(*port, speed);
    if (result == KORLINK_E_CANCELLED) c_putc(handle, '\r');
    if (result < 0 && dtrWasLow) COMMRS232Set(handle, KORLINK_ITEM_DTR, 0);
    return result;
}

}  // extern "C"
