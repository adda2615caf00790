// Format, baud rate, lines and break over the backend's termios block.
#include "device/device_format.h"

#include "device/device_io.h"
#include "device/device_ops.h"

#include <sys/ioctl.h>

namespace korlink {

namespace {

struct BaudEntry {
    int32_t rate;
    speed_t code;
};

constexpr BaudEntry kBauds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},
    {150, B150},       {200, B200},       {300, B300},       {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

constexpr int32_t kBreakMs = 300;

bool speedCode(int32_t rate, speed_t &code) {
    for (const BaudEntry &entry : kBauds)
        if (entry.rate == rate) {
            code = entry.code;
            return true;
        }
    return false;
}

int32_t speedRate(speed_t code) {
    for (const BaudEntry &entry : kBauds)
        if (entry.code == code) return entry.rate;
    return -1;
}

// A device may accept a change and keep part of its old state; a pty, for
// one, keeps eight data bits and no parity whatever it is told. Reading back
// tells whether the format really changed; if not, the old block is put back.
bool writeFormat(Port &port, const termios &block) {
    constexpr tcflag_t format = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR;
    termios previous = port.deviceSettings;
    termios now{};
    if (!port.ops->writeSettings(port, block)) return false;
    if (!port.ops->readSettings(port, now) || (now.c_cflag & format) != (block.c_cflag & format)) {
        port.ops->writeSettings(port, previous);
        return false;
    }
    port.deviceSettings = now;
    return true;
}

void applyStopBits(termios &block, int code) {
    // Termios has no one-and-a-half: the UART sends 1.5 stop bits for
    // 5-bit characters when two are asked for, so code 3 asks for two.
    if (code == 1) block.c_cflag &= ~CSTOPB;
    else block.c_cflag |= CSTOPB;
}

void applyParity(termios &block, int code) {
    block.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (code) {
    case 1: block.c_cflag |= PARENB | PARODD; break;
    case 2: block.c_cflag |= PARENB; break;
    case 3: block.c_cflag |= PARENB | CMSPAR | PARODD; break;  // mark
    case 4: block.c_cflag |= PARENB | CMSPAR; break;           // space
    default: break;
    }
}

bool applyDataBits(termios &block, int bits) {
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    if (bits < 5 || bits > 8) return false;
    block.c_cflag = (block.c_cflag & ~CSIZE) | sizes[bits - 5];
    return true;
}

int changeFormat(Port &port, int16_t item, int32_t value) {
    if (item == KORLINK_ITEM_STOPBITS && (value < 1 || value > 3)) return -1;
    if (item == KORLINK_ITEM_PARITY && (value < 0 || value > 4)) return -1;
    termios block{};
    if (!readSettingsBlock(port, block)) return -1;
    if (item == KORLINK_ITEM_STOPBITS) applyStopBits(block, value);
    else if (item == KORLINK_ITEM_PARITY) applyParity(block, value);
    else if (!applyDataBits(block, value)) return -1;
    return writeFormat(port, block) ? 0 : -1;
}

int sendBreak(Port &port) {
    if (int failed = port.ops->setBreak(port, true); failed != 0) return failed;
    ms_pause(kBreakMs);
    // A port the host closed during the pause is not touched again.
    if (port.closedByHost) return KORLINK_E_NULL_PORT;
    return port.ops->setBreak(port, false);
}

}  // namespace

bool readSettingsBlock(Port &port, termios &block) {
    if (!port.ops->readSettings(port, block)) return false;
    port.deviceSettings = block;
    return true;
}

bool writeSettingsBlock(Port &port, const termios &block) {
    if (!port.ops->writeSettings(port, block)) return false;
    port.deviceSettings = block;
    return true;
}

int configureDevice(Port &port, int32_t baud, int dataBits, int parity, int stopBits) {
    termios block{};
    if (!port.ops->readSettings(port, block)) return KORLINK_E_DEVICE;
    port.savedSettings = block;
    cfmakeraw(&block);
    block.c_cflag |= CLOCAL | CREAD;
    block.c_cflag &= ~CRTSCTS;
    block.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    block.c_cc[VMIN] = 0;  // reads return at once with what is there
    block.c_cc[VTIME] = 0;
    speed_t code{};
    if (!speedCode(baud, code) || cfsetspeed(&block, code) != 0) return KORLINK_E_DEVICE;
    if (!applyDataBits(block, dataBits)) return KORLINK_E_DEVICE;
    applyParity(block, parity);
    applyStopBits(block, stopBits == 2 ? 2 : stopBits == 3 ? 3 : 1);
    if (!writeSettingsBlock(port, block)) {
        port.ops->writeSettings(port, port.savedSettings);  // undo a partial change
        return KORLINK_E_DEVICE;
    }
    return KORLINK_OK;
}

int32_t readValue(Port &port, int16_t item) {
    termios block{};
    switch (item) {
    case KORLINK_ITEM_STOPBITS:
        if (!readSettingsBlock(port, block)) return -1;
        if (!(block.c_cflag & CSTOPB)) return 1;
        return (block.c_cflag & CSIZE) == CS5 ? 3 : 2;
    case KORLINK_ITEM_PARITY:
        if (!readSettingsBlock(port, block)) return -1;
        if (!(block.c_cflag & PARENB)) return 0;
        if (block.c_cflag & CMSPAR) return (block.c_cflag & PARODD) ? 3 : 4;
        return (block.c_cflag & PARODD) ? 1 : 2;
    case KORLINK_ITEM_DATABITS:
        if (!readSettingsBlock(port, block)) return -1;
        switch (block.c_cflag & CSIZE) {
        case CS5: return 5;
        case CS6: return 6;
        case CS7: return 7;
        default: return 8;
        }
    case KORLINK_ITEM_RTS:
    case KORLINK_ITEM_DTR:
        return (port.lineOutputMask >> item) & 1u;
    case KORLINK_ITEM_CTS: return modemLine(port, TIOCM_CTS);
    case KORLINK_ITEM_DSR: return modemLine(port, TIOCM_DSR);
    case KORLINK_ITEM_CD: return modemLine(port, TIOCM_CAR);
    case KORLINK_ITEM_RI: return modemLine(port, TIOCM_RNG);
    default: return -1;
    }
}

int setValue(Port &port, int16_t item, int32_t value) {
    switch (item) {
    case KORLINK_ITEM_RTS: port.ops->switchLine(port, TIOCM_RTS, value != 0); return 0;
    case KORLINK_ITEM_DTR: port.ops->switchLine(port, TIOCM_DTR, value != 0); return 0;
    case KORLINK_ITEM_STOPBITS:
    case KORLINK_ITEM_PARITY:
    case KORLINK_ITEM_DATABITS: return changeFormat(port, item, value);
    case KORLINK_ITEM_BREAK: return sendBreak(port);
    default: return -1;
    }
}

int32_t readBaud(Port &port) {
    termios block{};
    if (!readSettingsBlock(port, block)) return -1;
    return speedRate(cfgetospeed(&block));
}

int setBaud(Port &port, int32_t baud) {
    termios block{};
    speed_t code{};
    if (!readSettingsBlock(port, block)) return -1;
    if (!speedCode(baud, code) || cfsetspeed(&block, code) != 0) return -1;
    if (!writeSettingsBlock(port, block)) return -1;
    port.baud = baud;
    return 0;
}

}  // namespace korlink
