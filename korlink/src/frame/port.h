// The port object behind a PortHandle, and the library-internal services every
// family uses: handle validation, argument-error reports, last-error codes,
// waiting with the host's pump.
#pragma once

#include "korlink.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <termios.h>
#include <vector>

namespace korlink {

struct XmodemSettings;  // xmodem_settings.h
struct ModemSettings;   // modem_settings.h
struct AsciiSettings;   // ascii_settings.h
struct TransferState;   // transfer/transfer_state.h
struct KermitSettings;  // kermit_settings.h
struct ZmodemSettings;  // zmodem_settings.h
struct DeviceOps;       // device/device_ops.h
class MemoryLine;       // device/device_memory.h

// Read-ahead receive buffer. Bytes move from the device into it only when a
// receive operation asks for them. Owned by the registered port (freed when it
// is closed) and shared with its private copies, so bytes a background
// transfer consumes are gone for the host too and bytes buffered before the
// transfer are seen by it. A copy never outlives its port: a port held by a
// background transfer cannot be closed.
struct ReceiveBuffer {
    std::vector<uint8_t> data;     // capacity = receive size given at open
    int32_t position = 0;          // next byte to hand out
    int32_t end = 0;               // one past the last buffered byte

    int32_t available() const { return end - position; }
    int32_t size() const { return static_cast<int32_t>(data.size()); }
};

// Hooks of the transmit and receive options. A transmit hook returns the byte
// to send instead (0..255) or a negative value to send nothing; a receive hook
// likewise for a received byte. Echo hooks see every byte written. The
// end-of-string hook runs after c_puts has sent its text.
using ByteHook = int (*)(PortHandle port, int byte);
using EndOfStringHook = void (*)(PortHandle port);

// Case conversion of the transmit and receive options.
enum CaseMode : int16_t { CaseKeep = 0, CaseUpper = 1, CaseLower = 2 };

// Transmit options; all off after open. Only applied while `enabled`.
struct TransmitOptions {
    bool enabled = false;          // master switch (item 100)
    int16_t caseMode = CaseKeep;
    int16_t lineEnding = 0;        // 0..8, see korlink.h
    bool dropBit7 = false;
    int16_t pauseChar = -1;        // not sent; pauses pauseMs instead
    int32_t pauseMs = 0;
    int16_t afterChar = -1;        // pause afterMs after sending this byte
    int32_t afterMs = 0;
    int32_t interCharMs = 0;       // pause after every other byte
    bool waitEcho = false;         // wait for each byte to come back
    ByteHook hook = nullptr;
    ByteHook localEcho = nullptr;
    EndOfStringHook endOfString = nullptr;
};

// Receive options; all off after open. Only applied while `enabled`.
struct ReceiveOptions {
    bool enabled = false;
    int16_t caseMode = CaseKeep;
    int16_t lineEnding = 0;        // 0..8, the same modes as transmit
    bool dropBit7 = false;
    ByteHook hook = nullptr;
};

// Handshakes honoured by the byte operations; all off after open.
struct FlowControl {
    // transmit side
    bool xonXoffOutput = false;    // pace output by XON/XOFF from the peer
    bool cts = false;              // send only while CTS is high
    bool dsr = false;              // send only while DSR is high
    bool suspended = false;        // ignore all three holds for now
    // receive side: hold the peer while the buffer is nearly full
    bool rxXon = false;            // send XOFF/XON
    bool rxRts = false;            // lower/raise RTS
    bool rxDtr = false;            // lower/raise DTR
    int16_t xoffPercent = 80;      // hold above this fill (receive size %)
    int16_t xonPercent = 20;       // resume at or below this fill
    int16_t xonChar = 17;
    int16_t xoffChar = 19;

    bool receiveSide() const { return rxXon || rxRts || rxDtr; }
};

// Everything COMMSaveXlat saves and COMMRestoreXlat puts back: settings only.
struct XlatState {
    TransmitOptions tx;
    ReceiveOptions rx;
    FlowControl flow;
    int32_t receiveTimeoutMs = 0;  // c_getc waits this long; 0: no wait
    int32_t lineTimeoutMs = 0;     // first byte of c_gets; 0: the receive time-out
};

// What the byte operations remember between calls. Not settings: saving and
// restoring the options leaves it alone, so no received byte is lost or
// invented across COMMSaveXlat/COMMRestoreXlat.
struct LineState {
    int16_t txPrevious = -1;       // last byte sent, for the line-ending modes
    int16_t rxPending = -1;        // second byte of a receive line-ending expansion
    int16_t rxPrevious = -1;       // last byte received, for the modes
    bool pausedByXoff = false;     // the peer sent XOFF and no XON yet
    bool rxHeld = false;           // we are holding the peer (XOFF, RTS or DTR)
};

// One string-watch slot; a null callback marks it free.
struct WatchSlot {
    WatchCallback callback = nullptr;
    char text[11] = {};
    uint8_t length = 0;
    uint8_t position = 0;          // characters matched so far
    uint8_t active = 0;            // 0 while the slot's callback runs
};

// One open port. A PortHandle is the address of a Port.
//
// The object is copyable on purpose: a background transfer works on a private
// heap copy (transfer/background.cpp), registered as live but not in the port
// table, calls the public byte exports on handleOf(copy) and drops it from the
// live set when the job ends. The copy shares the device (descriptor or
// memory line), the receive buffer and the transfer records (plain
// pointers); options, flow control, line state, watch slots and the
// data-format word are its own, so whatever it switches for the transfer
// never leaks into the host's port.
// COMMPortDeinit refuses a copy (-121) before touching anything shared.
struct Port {
    // --- frame (port table, errors) ---
    int32_t lastError = 0;         // COMMErrnoGet returns and clears it
    bool backgroundLock = false;   // a background transfer owns the host's handle
    bool cancelPending = false;    // set by COMMXferCancel, cleared by the next wait
    bool watchCarrier = false;     // carrier loss ends waits with -112 (transmit item 111)
    int16_t cancelKey = 283;       // Escape
    intptr_t windowHandle = 0;     // COMMPortSet 108
    int fd = -1;                   // the termios backend's descriptor, else -1
    int16_t callDepth = 0;         // exports running host code on this port (PortCall)
    bool closedByHost = false;     // closed by host code inside such an export

    // --- transfer families: the XMODEM settings are owned (freed at close by
    // releaseFamilyRecords); `transfer` is the host's item 114 slot, not owned ---
    XmodemSettings *xmodem = nullptr;
    KermitSettings *kermit = nullptr;  // owned like the XMODEM settings
    ZmodemSettings *zmodem = nullptr;  // owned like the XMODEM settings
    TransferState *transfer = nullptr;
    int16_t sendQueue = -1;        // queue number of the running fsend

    // --- further family records, owned, freed at close ---
    ModemSettings *modem = nullptr;   // COMMModem family, made by its first call
    AsciiSettings *ascii = nullptr;   // ASCII capture (COMMASCIISet, freceive 100)

    // --- identity and table ---
    int16_t portNumber = 0;        // COM number actually opened
    int32_t baud = 0;              // as given at open
    uint8_t slotIndex = 255;       // 255 while not registered
    bool registered = false;
    int16_t referenceCount = 0;
    int16_t counter103 = 0;        // item 103, zeroed at registration
    intptr_t value104 = 0;         // items 104, 105: stored for the host
    intptr_t value105 = 0;
    intptr_t terminal = 0;         // item 106
    intptr_t userValue = 0;        // item 107
    int16_t statusBits = 0;        // item 111
    int16_t item112 = 8;
    void (*consoleOutput)(PortHandle, int) = nullptr;  // default console hook

    // --- device ---
    const DeviceOps *ops = nullptr;   // the backend; every device access goes through it
    MemoryLine *memoryLine = nullptr;  // the in-memory backend's line, else null
    std::string simulatedLines;    // folder standing in for the modem lines (simulated_lines.h)
    termios deviceSettings{};      // item 102; refreshed by reads of the block
    termios savedSettings{};       // taken at open, written back at close
    int32_t transmitSize = 0;

    // --- receive buffer (owned by the registered port, shared with copies) ---
    ReceiveBuffer *rx = nullptr;

    // --- options, flow control, time-outs; saved by COMMSaveXlat ---
    uint16_t optionFlags = 0;      // bits 0-1 cleared at open
    XlatState xlat;
    std::vector<XlatState> savedXlat;  // COMMSaveXlat stack
    LineState line;                // runtime state of the byte operations

    // --- line control ---
    uint32_t lineOutputMask = 0;   // bit i: last state set for output item i
    uint16_t dataFormat = 0;       // bits 0-1 stop, 2-4 parity, 5-6 data bits - 5

    // --- string watch ---
    WatchSlot watch[4];
};

// Marks an export that may run host code (the pump, a callback, a hook) as
// working on `port`. A host that closes the port from that code gets the
// device, the table slot and the handle released at once (COMMPortDeinit),
// but the object itself is freed only when the outermost such export returns:
// until then the export can see closedByHost and end with -102 without
// touching the device again, and no port opened meanwhile can be given the
// same address (a handle check would take it for the old port).
class PortCall {
public:
    explicit PortCall(Port &port) : m_port(port) { ++port.callDepth; }
    ~PortCall();
    PortCall(const PortCall &) = delete;
    PortCall &operator=(const PortCall &) = delete;

private:
    Port &m_port;
};

// True while a background transfer holds the port. The worker clears the
// flag from its own thread (release store), so every read is an acquire load.
inline bool heldByBackground(Port &port) {
    return std::atomic_ref<bool>(port.backgroundLock).load(std::memory_order_acquire);
}

inline PortHandle handleOf(Port *port) { return reinterpret_cast<PortHandle>(port); }

// The live port for a handle, or nullptr when the handle is null or designates
// no live port object (never dereferences a dead handle).
Port *livePort(PortHandle handle);

// Validates a handle for an export: reports "ERROR: BADPARM0. Parameter is
// NULL" with `function` (for example "c_putc()") and returns nullptr when it
// is not live.
Port *checkPort(PortHandle handle, const char *function);

// Private copies used by background transfers count as live while they run.
void addLive(Port *port);
void removeLive(Port *port);

// Shows an argument error while the report switch is on: the formatted
// message, "\r\n", "Function: " and `function`. Returns `code`.
int16_t reportArgError(int16_t code, const char *function, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// The library-wide last error (for failures without a port) and close code.
void setLibraryError(int32_t code);
void setCloseCode(int32_t code);

// Millisecond tick of the process's clock (frame/clock.h): CLOCK_MONOTONIC,
// or a virtual clock chosen by a harness.
uint32_t tickMs();
// Lets `ms` milliseconds of idle time pass: a sleep, or a step of the
// virtual clock.
void passIdleTime(int ms);

// Queues a key code that the next pump poll reports before the host's pump
// is asked (there is no window message queue to post it to on Linux).
void postKey(int keyCode);

// One call of the host's pump (or a posted key); the key code or 0.
int pumpOnce();
// One call of the host's pump only: plain pauses leave posted keys for the
// next wait that looks for a cancel key.
int pumpHost();

// One pump call that looks for the port's cancel key: 0, -123 when the key
// came, or -102 when the host closed the port meanwhile (the object is then
// freed and must not be touched). The key is read before the pump runs.
int16_t cancelCheck(Port &port);

// Frees every family's record of a port being closed (XMODEM, Kermit, ASCII,
// modem; families/port_records.cpp).
void releaseFamilyRecords(Port &port);

}  // namespace korlink
