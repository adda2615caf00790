#include "device/device_open.h"

#include "device/device_io.h"
#include "device/device_memory.h"
#include "device/device_ops.h"
#include "device/device_termios.h"

#include <atomic>

namespace korlink {

namespace {
std::atomic<DeviceBackend> g_backend{DeviceBackend::Termios};
}  // namespace

void selectDeviceBackend(DeviceBackend backend) { g_backend.store(backend); }

int openDevice(Port &port, int com) {
    if (g_backend.load() == DeviceBackend::Memory) return openMemoryDevice(port, com);
    return openTermiosDevice(port, com);
}

void closeDevice(Port &port, bool keepSettings) {
    if (port.ops == nullptr) return;
    // A last packet, an error packet or a modem's CR may still be queued:
    // it goes out first (within its line time), then the close purges.
    drainTransmit(port);
    port.ops->close(port, keepSettings);
}

}  // namespace korlink
