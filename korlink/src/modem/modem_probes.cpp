// Probes for particular modem makes by their identification replies:
// COMMModemIsRacalVadic, COMMModemRacalCommand, COMMModemIsTelebit,
// COMMModemIsUDS.
#include "frame/library_state.h"
#include "modem/modem_command.h"
#include "modem/modem_settings.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace korlink {

namespace {

constexpr const char *kGreeting = "\n\rHELLO: I'M READY\n\r";
constexpr const char *kOptionPrompt = "\n\rOPTION NUMBER?\n\r";
constexpr int32_t kPromptWaitMs = 2000;

// Asks for the modem's attention with Ctrl-E and CR; 0 when the greeting came
// within `waitMs`.
int16_t callUp(PortHandle handle, int32_t waitMs) {
    c_putc(handle, 5);
    c_putc(handle, '\r');
    return c_waits(handle, kGreeting, waitMs);
}

// Sends `value` in decimal followed by CR.
void sendNumber(PortHandle handle, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d\r", value);
    c_puts(handle, text);
}

// All digits of a reply read as one decimal number.
int32_t digitsOf(const char *reply) {
    int32_t value = 0;
    for (const char *p = reply; *p != '\0' && value < 100000000; ++p)
        if (std::isdigit(static_cast<unsigned char>(*p))) value = value * 10 + (*p - '0');
    return value;
}

// The number the modem gives for "I0"; negative when the command could not run.
int32_t identify(Port &port) {
    int16_t result = runCommand(port, "I0");
    return result < -1 ? result : digitsOf(port.modem->commandReply);
}

// The option dialogue after the greeting; the result of the wait that failed,
// or 0 when every prompt came.
int16_t optionDialogue(PortHandle handle, int16_t option, int16_t value) {
    int16_t result = c_waits(handle, "*", kPromptWaitMs);
    if (result != 0) return result;
    c_puts(handle, "o\r");
    if ((result = c_waits(handle, kOptionPrompt, kPromptWaitMs)) != 0) return result;
    sendNumber(handle, option);
    if ((result = c_waits(handle, "*", kPromptWaitMs)) != 0) return result;
    if ((result = c_waits(handle, "\n\r", kPromptWaitMs)) != 0) return result;
    sendNumber(handle, value);
    if ((result = c_waits(handle, kOptionPrompt, kPromptWaitMs)) != 0) return result;
    c_putc(handle, '\r');
    return c_waits(handle, "*", kPromptWaitMs);
}

}  // namespace
}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API int16_t COMMModemIsRacalVadic(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemIsRacalVadic()", refusal);
    if (port == nullptr) return refusal;
    c_rxflush(handle, 0);
    if (callUp(handle, 2000) != 0) return 0;
    c_waits(handle, "*", 1000);
    c_puts(handle, "i\r");
    return 1;
}

KORLINK_API int16_t COMMModemRacalCommand(PortHandle handle, int16_t option, int16_t value) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemRacalCommand()", refusal);
    if (port == nullptr) return refusal;
    if (COMMSaveXlat(handle) != KORLINK_OK) return KORLINK_E_NO_MEMORY;
    port->xlat.tx.enabled = true;
    ms_pause(300);
    if (livePort(handle) != port) return KORLINK_E_NULL_PORT;
    c_rxflush(handle, 0);
    int16_t result = callUp(handle, 1500);
    if (result == 0) result = optionDialogue(handle, option, value);
    if (result == KORLINK_E_NULL_PORT) return result;
    c_puts(handle, "i\r");
    COMMRestoreXlat(handle);
    return result;
}

KORLINK_API int16_t COMMModemIsTelebit(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemIsTelebit()", refusal);
    if (port == nullptr) return refusal;
    DtrRaised dtr(*port);
    if (int16_t result = runCommand(*port, "S49=1"); result < -1) return result;
    int32_t number = identify(*port);
    if (number != 123) return number < -1 ? static_cast<int16_t>(number) : int16_t{0};
    if (int16_t result = runCommand(*port, "S49=0"); result < -1) return result;
    number = identify(*port);
    return static_cast<int16_t>(number > INT16_MAX ? INT16_MAX : number);
}

KORLINK_API int16_t COMMModemIsUDS(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemIsUDS()", refusal);
    if (port == nullptr) return refusal;
    DtrRaised dtr(*port);
    int16_t result = runCommand(*port, "I3");
    if (result < -1) return result;
    const char *reply = port->modem->commandReply;
    if (std::strstr(reply, "V3225 VERSION") != nullptr) return 2;
    if (std::strstr(reply, "V3224 VERSION") != nullptr) return 1;
    return 0;
}

}  // extern "C"
