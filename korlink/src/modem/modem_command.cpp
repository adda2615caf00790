// Command lines and replies: COMMModemPuts, COMMModemCommand,
// COMMModemCommandString.
#include "modem/modem_command.h"

#include "frame/library_state.h"
#include "modem/modem_reply.h"
#include "modem/modem_settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace korlink {

DtrRaised::DtrRaised(Port &port)
    : m_handle(handleOf(&port)), m_wasLow(COMMRS232Get(m_handle, KORLINK_ITEM_DTR) == 0) {
    if (m_wasLow) COMMRS232Set(m_handle, KORLINK_ITEM_DTR, 1);
}

DtrRaised::~DtrRaised() {
    // The host's pump may have closed the port meanwhile.
    if (m_wasLow && livePort(m_handle) != nullptr) COMMRS232Set(m_handle, KORLINK_ITEM_DTR, 0);
}

namespace {

bool portClosed(PortHandle handle, const Port &port) { return livePort(handle) != &port; }

// Reads a reply after a command line: the bytes up to the reply terminator
// (the modem's echo of the command) are skipped, then c_gets takes what
// follows until a time-out or `size` - 1 bytes. The time-outs are raised to
// the record's for the read and put back afterwards.
int16_t readReply(Port &port, char *reply, int16_t size) {
    const ModemSettings &record = *port.modem;
    PortHandle handle = handleOf(&port);
    reply[0] = '\0';
    if (COMMSaveXlat(handle) != KORLINK_OK) return KORLINK_E_NO_MEMORY;
    XlatState &xlat = port.xlat;
    xlat.rx.enabled = true;
    xlat.lineTimeoutMs = std::max<int32_t>(xlat.lineTimeoutMs, record.lineTimeoutMs);
    xlat.receiveTimeoutMs = std::max<int32_t>(xlat.receiveTimeoutMs, record.replyTimeoutMs);
    int16_t stop = 0;
    char skipped[41] = {};
    for (int count = 0; count < 40; ++count) {
        int16_t byte = c_getc(handle);
        if (byte < -1) stop = byte;
        if (byte < 0) break;
        skipped[count] = static_cast<char>(byte);
        if (byte == static_cast<unsigned char>(record.replyTerminator)) break;
    }
    int16_t got = 0;
    if (stop == 0) {
        got = c_gets(handle, reply, size, -1);
        if (got < -1) stop = got;
    }
    if (stop == KORLINK_E_NULL_PORT || portClosed(handle, port)) return KORLINK_E_NULL_PORT;
    COMMRestoreXlat(handle);
    // A modem that does not echo and answers with a number ("0" CR) has
    // said all it had to say before the read: what was skipped is the reply
    // unless it is the echo of a command line.
    if (stop == 0 && got <= 0 && skipped[0] != '\0' && std::strstr(skipped, record.attention) == nullptr)
        std::snprintf(reply, static_cast<size_t>(size), "%s", skipped);
    return stop;
}

int16_t commandArgument(const char *function) {
    return reportArgError(KORLINK_E_BAD_ARG2, function, "ERROR: BADPARM1. Parameter is NULL");
}

}  // namespace

int16_t sendCommandLine(Port &port, const char *command) {
    const ModemSettings &record = *port.modem;
    size_t length = std::strlen(record.attention) + std::strlen(record.resultCodes) +
                    std::strlen(command) + 1;
    if (length > kMaxCommandLine) return KORLINK_E_NO_MEMORY;
    char line[kMaxCommandLine + 1];
    std::snprintf(line, sizeof line, "%s%s%s%c", record.attention, record.resultCodes, command,
                  record.terminator);
    PortHandle handle = handleOf(&port);
    DtrRaised dtr(port);
    if (COMMSaveXlat(handle) != KORLINK_OK) return KORLINK_E_NO_MEMORY;
    TransmitOptions &tx = port.xlat.tx;
    tx.enabled = true;
    tx.caseMode = CaseUpper;
    tx.dropBit7 = true;
    tx.interCharMs = record.interCharMs;
    tx.pauseChar = static_cast<unsigned char>(record.pauseChar);
    tx.pauseMs = record.pauseMs;
    bool watching = port.watchCarrier;
    port.watchCarrier = false;
    int16_t result = c_puts(handle, line);
    if (portClosed(handle, port)) return KORLINK_E_NULL_PORT;
    port.watchCarrier = watching;
    COMMRestoreXlat(handle);
    return result;
}

int16_t runCommand(Port &port, const char *command, int16_t maxLength) {
    ModemSettings &record = *port.modem;
    record.commandReply[0] = '\0';
    c_rxflush(handleOf(&port), 0);
    int16_t sent = sendCommandLine(port, command);
    if (sent < 0) return sent;
    int16_t size = static_cast<int16_t>(std::clamp<int>(maxLength, 1, sizeof record.commandReply));
    int16_t stop = readReply(port, record.commandReply, size);
    if (stop < 0) return stop;
    return classifyReply(record.commandReply);
}

}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API int16_t COMMModemPuts(PortHandle handle, const char *command) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemPuts()", refusal);
    if (port == nullptr) return refusal;
    if (command == nullptr) return commandArgument("COMMModemPuts()");
    return sendCommandLine(*port, command);
}

KORLINK_API int16_t COMMModemCommand(PortHandle handle, const char *command) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemCommand()", refusal);
    if (port == nullptr) return refusal;
    if (command == nullptr) return commandArgument("COMMModemCommand()");
    return runCommand(*port, command);
}

// The reply lives in the port's modem record until the next command.
KORLINK_API const char *COMMModemCommandString(PortHandle handle, const char *command, int16_t maxLength) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemCommandString()", refusal);
    if (port == nullptr) return nullptr;
    if (command == nullptr) {
        commandArgument("COMMModemCommandString()");
        return nullptr;
    }
    int16_t result = runCommand(*port, command, maxLength);
    if (result == KORLINK_E_NULL_PORT) return nullptr;
    return port->modem->commandReply;
}

}  // extern "C"
