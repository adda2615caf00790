// Opening and closing ports, the 32-slot port table and the exit hook.
#include "device/device_termios.h"
#include "device/simulated_lines.h"
#include "frame/library_state.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace korlink {

namespace {

Port *g_slots[kPortSlots] = {};
int g_registeredCount = 0;
bool g_exitHookInstalled = false;

// The console output hook every registered port starts with: the byte goes
// to standard output.
void defaultConsoleOutput(PortHandle, int byte) {
    char c = static_cast<char>(byte);
    if (::write(STDOUT_FILENO, &c, 1) < 0) return;
}

void runAtExit() { COMMPortsDeinitAll(); }

// Legacy base addresses name COM 1 to 4; anything else is the COM number.
int comNumber(int port) {
    switch (port) {
    case 1016: return 1;
    case 760: return 2;
    case 1000: return 3;
    case 744: return 4;
    default: return port;
    }
}

// snprintf rather than std::to_string: the latter instantiates library
// templates whose symbols would be exported next to the API.
std::string devicePath(int com) {
    char text[48];
    std::snprintf(text, sizeof text, "KORLINK_COM%d", com);
    if (const char *path = std::getenv(text); path != nullptr && *path != '\0') return path;
    std::snprintf(text, sizeof text, "/dev/ttyS%d", com - 1);
    return text;
}

bool inTable(const Port &port) {
    return port.registered && port.slotIndex < kPortSlots && g_slots[port.slotIndex] == &port;
}

void deletePort(Port *port) {
    delete port->rx;
    delete port;
}

// Receive and transmit sizes below this would leave a port unable to work.
constexpr int32_t kMinimumBufferSize = 64;

Port *newPort(int16_t rxBufferSize, int16_t txBufferSize) {
    auto *port = new (std::nothrow) Port;
    if (port == nullptr) return nullptr;
    try {
        port->rx = new ReceiveBuffer;
        port->rx->data.assign(std::max<int32_t>(rxBufferSize, kMinimumBufferSize), 0);
    } catch (const std::bad_alloc &) {
        deletePort(port);
        return nullptr;
    }
    port->transmitSize = std::max<int32_t>(txBufferSize, kMinimumBufferSize);
    return port;
}

}  // namespace

int16_t registerPort(Port &port) {
    if (port.registered) return KORLINK_E_REGISTERED;
    int slot = 0;
    while (slot < kPortSlots && g_slots[slot] != nullptr) ++slot;
    if (slot == kPortSlots) return KORLINK_E_DEVICE;
    g_slots[slot] = &port;
    port.slotIndex = static_cast<uint8_t>(slot);
    port.counter103 = 0;
    port.statusBits = 0;
    port.registered = true;
    ++g_registeredCount;
    addLive(&port);
    COMMRS232Set(handleOf(&port), KORLINK_ITEM_DTR, 1);
    COMMRS232Set(handleOf(&port), KORLINK_ITEM_RTS, 1);
    if (port.consoleOutput == nullptr) port.consoleOutput = defaultConsoleOutput;
    ++port.referenceCount;
    if (!g_exitHookInstalled) {
        g_exitHookInstalled = true;
        static bool atexitDone = false;  // atexit once per process
        if (!atexitDone) atexitDone = std::atexit(runAtExit) == 0;
    }
    return KORLINK_OK;
}

PortCall::~PortCall() {
    if (--m_port.callDepth == 0 && m_port.closedByHost) {
        releaseFamilyRecords(m_port);
        deletePort(&m_port);
    }
}

int16_t unregisterPort(Port &port) {
    if (!port.registered) return KORLINK_E_STILL_REFERENCED;
    --g_registeredCount;
    g_slots[port.slotIndex] = nullptr;
    port.registered = false;
    port.slotIndex = 255;
    return KORLINK_OK;
}

}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API PortHandle COMMWinInit(int16_t port, int32_t baud, int16_t dataBits, int16_t parity,
                                   int16_t stopBits, int16_t rxBufferSize, int16_t txBufferSize) {
    setLibraryError(KORLINK_E_NO_MEMORY);
    Port *object = newPort(rxBufferSize, txBufferSize);
    if (object == nullptr) return nullptr;
    object->portNumber = static_cast<int16_t>(comNumber(port));
    if (openDevice(devicePath(object->portNumber).c_str(), object->fd) != KORLINK_OK) {
        deletePort(object);
        setLibraryError(KORLINK_E_DEVICE);
        return nullptr;
    }
    object->simulatedLines = simulatedLinesFolder(object->portNumber);
    int configured = configureDevice(*object, baud, dataBits, parity, stopBits);
    object->ops = &termiosOps();
    object->baud = baud;
    object->item112 = 8;
    object->optionFlags &= ~3u;
    object->cancelKey = 283;
    int16_t registered = configured == KORLINK_OK ? registerPort(*object) : int16_t{KORLINK_E_DEVICE};
    if (registered != KORLINK_OK) {
        // Settings saved by a successful configure are written back.
        closeDevice(*object, configured != KORLINK_OK);
        deletePort(object);
        setLibraryError(registered);
        return nullptr;
    }
    setLibraryError(1);  // what the settings steps leave behind on success
    return handleOf(object);
}

KORLINK_API int16_t COMMPortDeinit(PortHandle handle, int16_t keepSettings) {
    Port *port = checkPort(handle, "COMMPortDeinit()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    // A background transfer's copy is live but not in the table; it shares
    // the device, receive buffer and transfer records with its port.
    if (!inTable(*port)) return KORLINK_E_STILL_REFERENCED;
    if (port->referenceCount > 1) {
        --port->referenceCount;
        setCloseCode(KORLINK_E_STILL_REFERENCED);
        return KORLINK_OK;
    }
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    int16_t result = unregisterPort(*port);
    if (port->fd >= 0) port->ops->closeDevice(*port, keepSettings != 0);
    removeLive(port);
    // Closed from host code that an export on this port is running: that
    // export frees the object when it returns (PortCall).
    if (port->callDepth > 0) {
        port->closedByHost = true;
        return result;
    }
    releaseFamilyRecords(*port);
    deletePort(port);
    return result;
}

// A port still referenced by other opens is closed as well: the call is
// meant to leave nothing open. Ports held by a background transfer stay.
KORLINK_API int16_t COMMPortsDeinitAll(void) {
    for (int slot = 0; slot < kPortSlots; ++slot) {
        Port *port = g_slots[slot];
        if (port == nullptr || heldByBackground(*port)) continue;
        port->referenceCount = 1;
        COMMPortDeinit(handleOf(port), 0);
    }
    g_exitHookInstalled = false;
    return KORLINK_OK;
}

}  // extern "C"
