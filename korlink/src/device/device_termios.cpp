// The termios backend: a file descriptor on a tty, its termios block, its
// modem lines (or simulated ones, simulated_lines.h) and break.
#include "device/device_termios.h"

#include "common/com_device.h"

#include "device/device_ops.h"
#include "device/simulated_lines.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace korlink {

namespace {

int32_t termiosRead(Port &port, uint8_t *data, int32_t count) {
    ssize_t got = ::read(port.fd, data, count);
    if (got >= 0) return static_cast<int32_t>(got);
    if (errno == EAGAIN || errno == EINTR) return 0;
    port.lastError = errno;
    return -1;
}

int32_t termiosWrite(Port &port, const uint8_t *data, int32_t count) {
    ssize_t sent = ::write(port.fd, data, count);
    if (sent >= 0) return static_cast<int32_t>(sent);
    if (errno == EAGAIN || errno == EINTR) return 0;
    port.lastError = errno;
    return -1;
}

bool termiosWaitInput(Port &port, int ms) {
    pollfd entry{port.fd, POLLIN, 0};
    int ready = poll(&entry, 1, ms);
    // A hung-up tty polls readable but reads nothing: the hang-up decides.
    if (ready > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL))) {
        port.lastError = EIO;
        return false;
    }
    return true;
}

bool termiosWaitOutput(Port &port) {
    pollfd entry{port.fd, POLLOUT, 0};
    int ready = poll(&entry, 1, 10);
    if (ready > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(entry.revents & POLLOUT)) {
        port.lastError = EIO;
        return false;
    }
    return true;
}

int32_t termiosTransmitQueued(Port &port) {
    int queued = 0;
    if (ioctl(port.fd, TIOCOUTQ, &queued) != 0) return 0;
    return queued;
}

int termiosPurgeTransmit(Port &port) {
    if (tcflush(port.fd, TCOFLUSH) == 0) return 0;
    port.lastError = errno;
    return -1;
}

int32_t termiosModemLine(Port &port, int bit) {
    if (!port.simulatedLines.empty()) return simulatedLine(port, bit);
    int lines = 0;
    if (ioctl(port.fd, TIOCMGET, &lines) != 0) return -1;
    return (lines & bit) ? 1 : 0;
}

void termiosSwitchLine(Port &port, int bit, bool high) {
    if (!port.simulatedLines.empty()) recordSimulatedOutput(port, bit, high);
    ioctl(port.fd, high ? TIOCMBIS : TIOCMBIC, &bit);
}

int termiosSetBreak(Port &port, bool on) {
    if (ioctl(port.fd, on ? TIOCSBRK : TIOCCBRK) == 0) return 0;
    port.lastError = errno;
    return port.lastError;
}

bool termiosReadSettings(Port &port, termios &block) { return tcgetattr(port.fd, &block) == 0; }

bool termiosWriteSettings(Port &port, const termios &block) {
    return tcsetattr(port.fd, TCSANOW, &block) == 0;
}

void termiosClose(Port &port, bool keepSettings) {
    if (port.fd < 0) return;
    // After the drain (device_open.cpp) an empty queue means every byte was
    // handed on: tcdrain then waits only for the UART's own buffer, which the
    // driver bounds, and the output is not flushed, since a flush can still
    // drop bytes on their way (a pty loses its last bytes to it). A queue the
    // drain gave up on (flow control, a far end gone) is purged.
    if (termiosTransmitQueued(port) == 0) {
        tcdrain(port.fd);
        tcflush(port.fd, TCIFLUSH);
    } else {
        tcflush(port.fd, TCIOFLUSH);
    }
    if (!keepSettings) tcsetattr(port.fd, TCSANOW, &port.savedSettings);
    ioctl(port.fd, TIOCNXCL);  // the tty may outlive us (a pty kept open)
    ::close(port.fd);
    port.fd = -1;
}

const DeviceOps kTermiosOps = {
    .read = termiosRead,
    .write = termiosWrite,
    .waitInput = termiosWaitInput,
    .waitOutput = termiosWaitOutput,
    .transmitQueued = termiosTransmitQueued,
    .purgeTransmit = termiosPurgeTransmit,
    .modemLine = termiosModemLine,
    .switchLine = termiosSwitchLine,
    .setBreak = termiosSetBreak,
    .readSettings = termiosReadSettings,
    .writeSettings = termiosWriteSettings,
    .close = termiosClose,
};

}  // namespace

int openTermiosDevice(Port &port, int com) {
    int fd = ::open(common::comDevicePath(com).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return KORLINK_E_DEVICE;
    // TIOCEXCL keeps other openers of the tty out (root excepted); flock
    // also stops a second open inside this process and cooperating tools.
    if (!isatty(fd) || ioctl(fd, TIOCEXCL) != 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return KORLINK_E_DEVICE;
    }
    port.fd = fd;
    port.simulatedLines = simulatedLinesFolder(com);
    port.ops = &kTermiosOps;
    return KORLINK_OK;
}

}  // namespace korlink
