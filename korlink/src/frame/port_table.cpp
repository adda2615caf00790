// The 32-slot port table, the life of port objects and the exit hook.
#include "frame/library_state.h"

#include <algorithm>
#include <cstdlib>
#include <new>
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

// Receive and transmit sizes below this would leave a port unable to work.
constexpr int32_t kMinimumBufferSize = 64;

}  // namespace

bool inPortTable(const Port &port) {
    return port.registered && port.slotIndex < kPortSlots && g_slots[port.slotIndex] == &port;
}

void deletePort(Port *port) {
    delete port->rx;
    delete port;
}

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
