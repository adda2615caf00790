// Setting a modem up: COMMModemInit by model code, COMMModemType, COMMModemReset.
#include "frame/library_state.h"
#include "modem/modem_command.h"
#include "modem/modem_settings.h"

#include <cstring>
#include <new>

namespace korlink {

namespace {

// What a model code sets: the speed class stored, the extended set-up text,
// what starts the initialisation line and a command sent before it.
struct ModelSetup {
    int16_t speed;
    const char *extendedSetup;
    const char *lineStart;
    const char *firstCommand;  // nullptr: none
};

constexpr const char *kHayesSetup = "&C1&D2X4S11=50";

ModelSetup modelSetup(int16_t code) {
    switch (code) {
    case 0: return {1200, "", "X1", nullptr};
    case 300: return {300, "", "", nullptr};
    case 901: return {9600, "!/@WS", "", kHayesSetup};
    case 961: case 962: case 964: case 965: return {9600, "!/\\NRW", "X3", nullptr};
    case 1200: return {1200, "", "X1", nullptr};
    case 1300: return {1200, "!@W", "L1X4", nullptr};
    case 9600: case 14400: return {9600, "!/@WS", "", kHayesSetup};
    default: return {2400, "!/@W", "", kHayesSetup};  // negative, 1..299, 301..965, others
    }
}

// One number of the speed-class table found in an "I0" reply, or 0.
int16_t speedClassOf(const char *reply) {
    static const struct {
        const char *text;
        int16_t speed;
    } kClasses[] = {{"288", 28800}, {"14", 14400}, {"96", 9600}, {"24", 2400}, {"13", 1300}, {"12", 1200}};
    for (const auto &entry : kClasses)
        if (std::strstr(reply, entry.text) != nullptr) return entry.speed;
    return 0;
}

}  // namespace
}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API int16_t COMMModemInit(PortHandle handle, int16_t modelCode) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemInit()", refusal);
    if (port == nullptr) return refusal;
    ModemSettings &record = *port->modem;
    ModelSetup setup = modelSetup(modelCode);
    record.speedClass = setup.speed;
    try {
        record.extendedSetup = setup.extendedSetup;
        record.initLine = setup.lineStart;
        for (const char *setting : {record.dialMode, record.echo, record.verbose, record.autoAnswer,
                                    record.escape, record.carrierWait, record.dialToneWait, record.speaker})
            record.initLine += setting;
    } catch (const std::bad_alloc &) {
        return KORLINK_E_NO_MEMORY;
    }
    if (setup.firstCommand != nullptr) {
        int16_t first = runCommand(*port, setup.firstCommand);
        if (first < 0) return first;
    }
    int16_t result = runCommand(*port, record.initLine.c_str());
    if (result == KORLINK_E_NULL_PORT) return result;
    int16_t empty = runCommand(*port, "");
    if (empty == KORLINK_E_NULL_PORT) return empty;
    if (result == 0) record.flags |= MODEM_FLAG_INITIALISED;
    return result;
}

KORLINK_API int16_t COMMModemType(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemType()", refusal);
    if (port == nullptr) return refusal;
    int16_t verbose = runCommand(*port, "V1");
    if (verbose == KORLINK_E_NULL_PORT) return verbose;
    int16_t found = -1;
    if (verbose != -1) {
        int16_t identified = runCommand(*port, "I0");
        if (identified == KORLINK_E_NULL_PORT) return identified;
        found = identified < -1 ? identified : speedClassOf(port->modem->commandReply);
    }
    port->modem->speedClass = found;
    return found;
}

KORLINK_API int16_t COMMModemReset(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = modemPort(handle, "COMMModemReset()", refusal);
    if (port == nullptr) return refusal;
    if (COMMSaveXlat(handle) != KORLINK_OK) return KORLINK_E_NO_MEMORY;
    int16_t result = hangUp(*port);
    if (result != KORLINK_E_NULL_PORT) {
        port->xlat.receiveTimeoutMs = port->modem->lineTimeoutMs;
        port->xlat.lineTimeoutMs = port->modem->lineTimeoutMs;
        result = runCommand(*port, port->modem->reset);
    }
    if (result == KORLINK_E_NULL_PORT) return result;
    COMMRestoreXlat(handle);
    return result;
}

}  // extern "C"
