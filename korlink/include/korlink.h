/*
 * korlink.h - the public C interface of libkorlink.so, the serial
 * communications library.
 *
 * Every function is exported under exactly the name given here, with C
 * linkage, so a host in any language can bind it by name (dlopen/dlsym).
 *
 * Conventions
 *  - Results are 16-bit signed codes unless stated: 0 success, negative
 *    failure (KORLINK_E_* below). A few results are documented positive values
 *    (bytes, counts, slot numbers).
 *  - Every port function takes a PortHandle made by COMMWinInit. A null handle,
 *    or one that no longer designates a live port (already closed), gives
 *    KORLINK_E_NULL_PORT (-102) and is reported through the report hook while
 *    the report switch is on. The report switch is one switch for the whole
 *    library (on at load): COMMPortSet item 115 on any open port sets it for
 *    every port and for calls without a port.
 *  - Values that may carry an address (status callback parameter, Get items
 *    that return a name or a record) are pointer-width (intptr_t).
 *  - All calls are meant for one host thread. The only thread the library
 *    starts is a background transfer (freceive/fsend with background 1); while
 *    it runs, byte operations on the host's handle return -122.
 *  - Waits never busy-spin: they alternate the host's pump (COMMPumpHookSet)
 *    with poll() on the device for at most 10 ms.
 *  - Last error: each port keeps one code, read and cleared by COMMErrnoGet;
 *    the library keeps one more for calls without a port (read with
 *    COMMErrnoGet(NULL)). Functions leave it alone unless their comment says
 *    otherwise.
 *
 * Status codes (StatusCallback, freceive/fsend), with their parameter:
 *   105   a control byte or the protocol in use was recognised. Receive:
 *         1 SOH, 2 STX, 4 EOT, 24 CAN; 105, 106 or 107 the protocol seen at
 *         block 1; 108 a batch header block. Send: 500 the receiver asked
 *         with NAK (8-bit sum), 501 with 'C' (CRC), 107 1K blocks requested,
 *         109 the receiver streams ('G'), 4018 CAN instead of a start,
 *         4 the EOT was acknowledged
 *   110   ZMODEM: a header other than ZACK was received; its frame type
 *   4001  receive: block number or complement wrong; the byte count
 *   4002  receive: checksum or CRC wrong; the byte count
 *   4003  receive: disk full, the file cannot be created, or a write
 *         failed; 0 or the byte count
 *   4004  ZMODEM: a partial file continues (receive: the length of the
 *         partial file found; send: the offset the receiver asked for)
 *   4006  the file's modification time (seconds, from the batch header on
 *         receive, from the file on send)
 *   4007  the file was closed; 0
 *   4008  the file name is known; the address of the name
 *   4009  byte count so far (0 at the start and at each batch file)
 *   4012  receive: the rename rule was applied; the address of the name
 *   4013  the file's length (announced in the batch header, -1 when it
 *         gave none; on send the file's size)
 *   4014  the file is about to be opened; the address of the name
 *   4015  receive: an unexpected byte while a block was awaited; the byte.
 *         A run of such bytes (an echoing line) is one of the header events
 *         that end the receive after the retry limit (last error 4016)
 *   4016  a time-out (receive: not for the first one) or an unexpected
 *         reply; the retry or attempt number
 *   4018  the other side cancelled; 0
 *   4020  send: NAK received; 0
 *   4023  receive: ACK sent; the byte count
 *   4025  receive: NAK sent; block size x expected block number
 *   4027  the transfer of the file or batch ended; 1
 *   4028  send: fsend starts; the number of queued files
 *   4030  receive (addition): a YMODEM file ended (EOT) before the length
 *         its header announced; the bytes received. The transfer fails with
 *         last error 4030; the partial file stays under its name
 *   4031  send (addition): every data block was acknowledged, but the
 *         receiver never answered the end of file or the end of batch
 *         within a few seconds (lrzsz's receivers exit without flushing
 *         their last answer). The file arrived whole: the send ends as a
 *         success (result 0, last error 0); the parameter is the byte count
 *   4032  ZMODEM receive (addition): the sender sent more than the length
 *         it announced; the announced length, which is what the file keeps.
 *         The transfer ends with last error 4032
 *   4033  ZMODEM (addition): a file was skipped by the receiver (a ZSKIP);
 *         the address of the name
 *   -123  cancelled by the user (cancel key or COMMXferCancel), -112 the
 *         carrier was lost; receive: the byte count; send: 0 before the
 *         first block, else block size x block number
 *
 * Addresses the library hands out, and how long they stay valid:
 *  - the name of statuses 4008, 4012 and 4014: only while the callback runs;
 *    copy it to keep it;
 *  - COMMXMODEMGet item 208: the settings' file name, until the next
 *    COMMXMODEMSet 208 or 0 on that port, or its close;
 *  - COMMPortGet item 102: the port's copy of the device's termios record,
 *    refreshed by that call and by every format change, until the port is
 *    closed;
 *  - the title and text given to the report hook: only while it runs.
 * The library never frees anything the host owns (item 114's record, hooks,
 * names given to fqueue or COMMXMODEMSet 208 are copied or kept as given).
 *
 * Threads:
 *  - The pump is called only on the thread that installed it, and only from
 *    within a library call on that thread; never by a background transfer.
 *  - Status callbacks run on the thread that runs the transfer: the caller's
 *    for a foreground transfer, the library's worker for a background one
 *    (background 1). Watch callbacks and the transmit, receive, echo and
 *    end-of-string hooks run on the thread of the c_getc/c_putc/c_puts call
 *    (a transfer switches the options off, so its worker runs no hook). The
 *    report hook runs on the thread whose call reports.
 *  - While a background transfer runs, COMMXferCancel may be called from any
 *    thread, and fqueue/funqueue/funload are safe; every byte operation on
 *    the host's handle gives -122.
 *
 * Closing the port from host code run inside a call: the pump, a status
 * callback, a watch callback, a hook and the report hook may close the port
 * (COMMPortDeinit or COMMPortsDeinitAll) while a call on it is running in the
 * foreground. The close takes effect at once (device settings written back,
 * handle dead); the running call then ends with -102 (c_getc and c_gets with
 * the byte the callback saw), sending, restoring and reporting nothing more.
 * A port held by a background transfer cannot be closed (-122).
 *
 * Deliberate departures from the behaviour hosts may know from elsewhere:
 *  - the device settings written back at close are those the device had
 *    before COMMWinInit, not the ones the library set;
 *  - a YMODEM header without a usable length keeps all data received
 *    (whole blocks); an absurd length (above 2^31 - 1) is refused with
 *    4003 before any file is created;
 *  - a file name from a peer is reduced to a bare name inside the receive
 *    folder; one with nothing usable left ("..", "sub/", control bytes only)
 *    is stored as "unnamed" through the rename rule ("unnamed.DL0", ...),
 *    never dropped;
 *  - a received file is opened without following a symbolic link: a link
 *    under its name is replaced by the file;
 *  - an EOT before any block leaves the output file new and empty;
 *  - freceive gives 0 only for a completed transfer: a disk failure (4003)
 *    gives -1, as does a protocol without an engine here (last error -103);
 *  - a failed c_waits keeps what arrived during the wait;
 *  - fsend drops its queued output before the cancel sequence (never the
 *    sequence itself), and a streaming send cancelled by the user sends the
 *    cancel sequence too.
 */
#ifndef KORLINK_H
#define KORLINK_H

#include <stdint.h>

#if defined(KORLINK_BUILDING)
#define KORLINK_API __attribute__((visibility("default")))
#else
#define KORLINK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opaque handle of an open port; the object is owned by the library. */
typedef struct KorlinkPort *PortHandle;

/* ------------------------------------------------------------ version
 * The version of this header. COMMVersion() gives the version of the
 * library actually loaded, as KORLINK_VERSION encodes it, so a host can check
 * that the two agree (an addition to the classic interface). */
#define KORLINK_VERSION_MAJOR 0
#define KORLINK_VERSION_MINOR 1
#define KORLINK_VERSION_PATCH 0
#define KORLINK_VERSION \
    ((KORLINK_VERSION_MAJOR * 65536L) + (KORLINK_VERSION_MINOR * 256L) + KORLINK_VERSION_PATCH)
#define KORLINK_VERSION_STRING "0.1.0"

/* major * 65536 + minor * 256 + patch of the loaded library. */
KORLINK_API int32_t COMMVersion(void);

/* ---------------------------------------------------------------- codes */
enum {
    KORLINK_OK = 0,
    KORLINK_E_TIMEOUT = -1,          /* time-out, no data, unsupported      */
    KORLINK_E_NULL_PORT = -102,      /* null (or dead) port handle          */
    KORLINK_E_BAD_ARG2 = -103,       /* null or unrecognised 2nd argument   */
    KORLINK_E_BAD_ARG3 = -104,       /* null 3rd argument / value out of range */
    KORLINK_E_REGISTERED = -111,     /* port already registered             */
    KORLINK_E_CARRIER_LOST = -112,   /* carrier lost, carrier watch on      */
    KORLINK_E_FILE = -113,           /* file cannot be opened / no rename   */
    KORLINK_E_NO_MODEM = -116,       /* no modem settings record yet        */
    KORLINK_E_DEVICE = -117,         /* device cannot be opened, no slot    */
    KORLINK_E_NO_MEMORY = -118,      /* out of memory                       */
    KORLINK_E_STILL_REFERENCED = -121, /* close of referenced/unregistered  */
    KORLINK_E_LOCKED = -122,         /* port held by a background transfer  */
    KORLINK_E_CANCELLED = -123       /* cancel key or COMMXferCancel        */
};

/* ------------------------------------------------------- host hooks */

/* Installs the host's message pump. The pump handles the host's pending
 * user-interface events except timers and returns the key code of a pending
 * character key (scan code * 256 + character; Escape is 283) or 0. NULL
 * removes it; without a pump, waits only wait. */
KORLINK_API void COMMPumpHookSet(int (*pump)(void));

/* Installs the host's report box for argument errors. Without one, a report
 * is one line on stderr: "title: text". NULL restores stderr. */
KORLINK_API void COMMReportHookSet(void (*report)(const char *title, const char *text));

/* ------------------------------------------- port frame and errors */

/* Opens COM port (or legacy base address 1016, 760, 1000, 744 for COM 1..4).
 * COM n is the device named by $KORLINK_COM<n>, else /dev/ttyS<n-1>; it must
 * be a terminal and is opened exclusively. baud is a standard rate from 50 to
 * 921600 and dataBits 5 to 8, else the device refuses them (-117). Buffer
 * sizes below 64 count as 64.
 * parity: 1 odd, 2 even, 3 mark, 4 space, else none. stopBits: 2 two,
 * 3 one and a half, else one. Returns NULL on failure; COMMErrnoGet(NULL)
 * then gives the reason (-117 device or no free slot of 32, -118 memory).
 * After a successful open COMMErrnoGet(NULL) gives 1 once (what the device
 * set-up leaves behind), then 0. */
enum {
    KORLINK_PARITY_NONE = 0,
    KORLINK_PARITY_ODD = 1,
    KORLINK_PARITY_EVEN = 2,
    KORLINK_PARITY_MARK = 3,
    KORLINK_PARITY_SPACE = 4
};
enum { KORLINK_STOPBITS_ONE = 1, KORLINK_STOPBITS_TWO = 2, KORLINK_STOPBITS_ONE_AND_HALF = 3 };
KORLINK_API PortHandle COMMWinInit(int16_t port, int32_t baud, int16_t dataBits,
                                   int16_t parity, int16_t stopBits,
                                   int16_t rxBufferSize, int16_t txBufferSize);

/* Closes one port. keepSettings 0 writes the device settings saved at open
 * back. A still-referenced port only loses a reference (0, close code -121).
 * 0 closed, -102 null or dead handle (reported), -121 not registered (or a
 * background transfer's private copy), -122 while a background transfer holds
 * it. Called from host code inside a running call on the port, the close is
 * complete at once and that call ends with -102 (see the top of this file). */
KORLINK_API int16_t COMMPortDeinit(PortHandle port, int16_t keepSettings);

/* Closes every open port (also run at process exit). Safe with none open. */
KORLINK_API int16_t COMMPortsDeinitAll(void);

/* Port items; unknown items are reported, Get gives 0 and Set gives -1.
 *  100 device descriptor        101 COM number       102 address of the
 *  device's termios record (Set: address of one to write to the device)
 *  103 16-bit counter (zeroed when registered)      104, 105 stored values
 *  106 terminal record          107 user value       108 window handle
 *  109 Set only: background lock on (non-zero) or off
 *  110 Get only: 1 while registered                 111 Get only: status bits
 *  112 Get only: 8              113 reference count
 *  114 Set only: transfer-state record              115 report switch
 *      (library-wide, see the top of this file)
 *  -122 Get only: 1 when the handle is null, dead or locked, else 0 */
enum {
    KORLINK_PORT_DESCRIPTOR = 100,     /* Get: device file descriptor       */
    KORLINK_PORT_COM = 101,            /* Get: COM number opened            */
    KORLINK_PORT_TERMIOS = 102,        /* address of the termios record     */
    KORLINK_PORT_COUNTER = 103,        /* 16-bit counter                    */
    KORLINK_PORT_VALUE_104 = 104,      /* stored for the host               */
    KORLINK_PORT_VALUE_105 = 105,      /* stored for the host               */
    KORLINK_PORT_TERMINAL = 106,       /* terminal record                   */
    KORLINK_PORT_USER = 107,           /* user value                        */
    KORLINK_PORT_WINDOW = 108,         /* window handle                     */
    KORLINK_PORT_BACKGROUND_LOCK = 109, /* Set only                         */
    KORLINK_PORT_REGISTERED = 110,     /* Get only                          */
    KORLINK_PORT_STATUS_BITS = 111,    /* Get only                          */
    KORLINK_PORT_ITEM_112 = 112,       /* Get only: 8                       */
    KORLINK_PORT_REFERENCES = 113,     /* reference count                   */
    KORLINK_PORT_TRANSFER_STATE = 114, /* Set only                          */
    KORLINK_PORT_REPORT_SWITCH = 115,  /* library-wide report switch        */
    KORLINK_PORT_LOCKED = -122         /* Get only: 1 null, dead or locked  */
};
KORLINK_API intptr_t COMMPortGet(PortHandle port, int16_t item);
KORLINK_API int16_t COMMPortSet(PortHandle port, int16_t item, intptr_t value);

/* Returns the port's last-error code (NULL: the library-wide code) and sets
 * it to 0. A dead handle gives -102 (reported). Safe to call at any time:
 * while a background transfer holds the port it gives -122 and leaves the
 * code alone; the transfer's outcome is stored before the lock drops, so the
 * first call after COMMPortGet -122 reads 0 gives it. */
KORLINK_API int16_t COMMErrnoGet(PortHandle port);

/* ------------------------------------------------ byte I/O and queues
 *
 * Every function here gives -102 for a null or dead handle (reported) and
 * -122, without touching the device, while a background transfer holds the
 * port. Waits end with -123 on the cancel key (reported by the pump, or
 * posted by COMMXferCancel) and, with the carrier watch on, -112 on carrier
 * loss. A device failure stores the platform's errno as the port's last error
 * and gives -1; a peer that hangs up (pty master closed) ends a wait that
 * way at once. */

/* Sends one byte through the transmit options and output flow control.
 * 0 or a negative code. */
KORLINK_API int16_t c_putc(PortHandle port, int16_t byte);
/* Sends a NUL-terminated string byte by byte (c_putc); NULL text -103. */
KORLINK_API int16_t c_puts(PortHandle port, const char *text);
/* Sends count raw bytes (no transmit options; XON/XOFF, CTS and DSR holds
 * apply). 0 or a negative code; NULL data -104 (reported), count < 0 -104. */
KORLINK_API int16_t c_putn(PortHandle port, int32_t count, const char *data);
/* The next byte (0..255) after the string watch and the receive options;
 * waits up to the receive time-out (receive item 114), -1 when none came. */
KORLINK_API int16_t c_getc(PortHandle port);
/* The next received byte, raw, or -1 at once when none is there. */
KORLINK_API int16_t c_inchar(PortHandle port);
/* The number of received bytes available now. */
KORLINK_API int16_t c_rxcount(PortHandle port);
/* Discards up to count received bytes available now (0: all); returns the
 * number discarded. */
KORLINK_API int16_t c_rxflush(PortHandle port, int16_t count);
/* Free space in the transmit queue (transmit size at open minus queued). */
KORLINK_API int16_t c_txcount(PortHandle port);
/* Purges the transmit queue; count is not used. 0 or -1 (errno stored). */
KORLINK_API int16_t c_txflush(PortHandle port, int16_t count);
/* Waits for byte `wanted` (-1: any), dropping other bytes. A time-out below
 * 55 ms is raised to 55; 0 looks once. The byte, -1 at time-out, -123, -112. */
KORLINK_API int16_t c_waitc(PortHandle port, int16_t wanted, int32_t timeoutMs);
/* Waits until text has arrived and discards everything up to its end: 0.
 * Otherwise (-1 time-out, -123, -112, -102) of the bytes buffered before the
 * call only the last strlen(text) stay, so a match that has begun can
 * complete in the next call; bytes that arrived during the wait (an "ERROR"
 * instead of the awaited "OK") all stay to be read. NULL text -103. */
KORLINK_API int16_t c_waits(PortHandle port, const char *text, int32_t timeoutMs);
/* The received byte at `index` from the next one to be read, left in place;
 * -1 when fewer are available. */
KORLINK_API int16_t c_rxpeek(PortHandle port, int16_t index);
/* Waits until text is in the received data, removing nothing: its position,
 * -1 at time-out or for an empty text, -123, -112; NULL text -103. */
KORLINK_API int16_t c_rxpeeks(PortHandle port, const char *text, int32_t timeoutMs);
/* Reads a line through c_getc into buffer: at most size - 1 bytes, ending
 * after `terminator` (-1: none) or at a time-out, always NUL-closed. The
 * first byte waits the line time-out (receive item 115; 0 takes the receive
 * time-out), later ones the receive time-out. Returns the bytes stored (0
 * when the first byte timed out) or a negative code; NULL buffer -103. A
 * size below 1 gives 0 and leaves buffer untouched. */
KORLINK_API int16_t c_gets(PortHandle port, char *buffer, int16_t size, int16_t terminator);

/* Waits ms milliseconds while pumping the host's messages; returns the
 * millisecond tick at the end. */
KORLINK_API uint32_t ms_pause(int32_t ms);

/* Send queues 0..31 of file names for fsend (no port, no last error).
 * fqueue appends a copy of fileName: 0, -113 when the file cannot be opened
 * for reading, -118 out of memory, -103 (reported) for a NULL name or a
 * queue number outside 0..31, -122 while fsend sends that queue.
 * funqueue removes the first entry equal to fileName: 0, -113 when the queue
 * or the name is not there, -103 (reported) NULL name, -122 while sent. */
KORLINK_API int16_t fqueue(int16_t queue, const char *fileName);
KORLINK_API int16_t funqueue(int16_t queue, const char *fileName);

/* Saves and restores the port's transmit and receive option state (case
 * conversion, line-ending modes, bit-7 drop, pacing, hooks, time-outs).
 * The saved states form a stack: each restore takes back the latest save.
 * Save: 0, -118 out of memory. Restore: 0, or -1 with nothing saved. Both
 * -102 for a null or dead handle. Received bytes are neither lost nor
 * invented by a restore. */
KORLINK_API int16_t COMMSaveXlat(PortHandle port);
KORLINK_API int16_t COMMRestoreXlat(PortHandle port);

/* Transmit and receive options, flow control and time-outs, one item at a
 * time. Get returns the value (an address for hooks); Set returns 0, -104 for
 * a value out of range, -103 (reported) for an unknown item, -122 while a
 * background transfer holds the port. All items are 0 / off after open.
 *
 * Transmit items (COMMTxXlatGet/COMMTxXlatSet), applied by c_putc while item
 * 100 is on:
 *   100 options on/off           101 case: 0 keep, 1 upper, 2 lower
 *   102 line-ending mode (below) 103 drop bytes with bit 7 set
 *   104 pause character (-1 none): not sent, waits item 105 ms instead
 *   105 pause delay ms           106 after-character trigger (-1 none)
 *   107 after-character delay ms 108 inter-character delay ms
 *   109 wait for each byte's echo (with the receive time-out)
 *   110 transmit hook  int hook(PortHandle, int byte): the byte to send
 *       instead, or negative to send nothing
 *   111 carrier watch: carrier loss ends waits and sends with -112 (a line
 *       the device cannot report, as on a pseudo-terminal, counts as present)
 *   112 local-echo hook (same type, result ignored)
 *   113 end-of-string hook  void hook(PortHandle), run after c_puts
 *   120 output flow control, bits: 1 XON/XOFF pacing (XON and XOFF from the
 *       peer are taken out of the received data), 2 wait for CTS, 4 wait
 *       for DSR; honoured by c_putc and c_putn whether item 100 is on or not;
 *       lines the device cannot report never hold output
 *   121 suspend output flow control
 *
 * Receive items (COMMRxXlatGet/COMMRxXlatSet); 100 to 110 are applied by
 * c_getc while item 100 is on, after the string watch:
 *   100 options on/off           101 case: 0 keep, 1 upper, 2 lower
 *   102 line-ending mode (below) 103 drop bytes with bit 7 set
 *   110 receive hook (as the transmit hook)
 *   114 receive time-out ms: c_getc waits this long (0: does not wait)
 *   115 line time-out ms for the first byte of c_gets (0: take item 114)
 *   120 receive flow control, bits: 1 send XOFF/XON, 2 drop/raise RTS,
 *       4 drop/raise DTR; the peer is held when the buffered bytes pass the
 *       hold threshold and let go by c_waitc once they are down to the
 *       resume threshold
 *   121 hold threshold, % of the receive buffer (80)
 *   122 resume threshold, % of the receive buffer (20)
 *   123 XOFF character (19)      124 XON character (17)
 *
 * Line-ending modes, the same for both directions (a CR LF pair counts as
 * one line end in modes 5 to 7):
 *   0 unchanged   1 CR -> CR LF   2 LF -> CR LF   3 CR -> LF   4 LF -> CR
 *   5 every line end -> CR   6 every line end -> LF   7 every line end -> CR LF
 *   8 CR dropped
 * A mode that makes two bytes of one sends both; on receive the second comes
 * with the next c_getc. */
enum {
    KORLINK_TX_OPTIONS = 100,
    KORLINK_TX_CASE = 101,
    KORLINK_TX_LINE_ENDING = 102,
    KORLINK_TX_DROP_BIT7 = 103,
    KORLINK_TX_PAUSE_CHAR = 104,
    KORLINK_TX_PAUSE_MS = 105,
    KORLINK_TX_AFTER_CHAR = 106,
    KORLINK_TX_AFTER_MS = 107,
    KORLINK_TX_INTERCHAR_MS = 108,
    KORLINK_TX_WAIT_ECHO = 109,
    KORLINK_TX_HOOK = 110,
    KORLINK_TX_CARRIER_WATCH = 111,
    KORLINK_TX_LOCAL_ECHO = 112,
    KORLINK_TX_END_OF_STRING = 113,
    KORLINK_TX_FLOW = 120,
    KORLINK_TX_FLOW_SUSPEND = 121
};
enum {
    KORLINK_RX_OPTIONS = 100,
    KORLINK_RX_CASE = 101,
    KORLINK_RX_LINE_ENDING = 102,
    KORLINK_RX_DROP_BIT7 = 103,
    KORLINK_RX_HOOK = 110,
    KORLINK_RX_TIMEOUT_MS = 114,
    KORLINK_RX_LINE_TIMEOUT_MS = 115,
    KORLINK_RX_FLOW = 120,
    KORLINK_RX_HOLD_PERCENT = 121,
    KORLINK_RX_RESUME_PERCENT = 122,
    KORLINK_RX_XOFF_CHAR = 123,
    KORLINK_RX_XON_CHAR = 124
};
/* Bits of KORLINK_TX_FLOW and KORLINK_RX_FLOW. */
enum {
    KORLINK_FLOW_XONXOFF = 1,
    KORLINK_FLOW_TX_CTS = 2,
    KORLINK_FLOW_TX_DSR = 4,
    KORLINK_FLOW_RX_RTS = 2,
    KORLINK_FLOW_RX_DTR = 4
};
/* Case conversion (items 101) and line-ending modes (items 102). */
enum { KORLINK_CASE_KEEP = 0, KORLINK_CASE_UPPER = 1, KORLINK_CASE_LOWER = 2 };
enum {
    KORLINK_EOL_UNCHANGED = 0,
    KORLINK_EOL_CR_TO_CRLF = 1,
    KORLINK_EOL_LF_TO_CRLF = 2,
    KORLINK_EOL_CR_TO_LF = 3,
    KORLINK_EOL_LF_TO_CR = 4,
    KORLINK_EOL_ALL_TO_CR = 5,
    KORLINK_EOL_ALL_TO_LF = 6,
    KORLINK_EOL_ALL_TO_CRLF = 7,
    KORLINK_EOL_DROP_CR = 8
};
KORLINK_API intptr_t COMMTxXlatGet(PortHandle port, int16_t item);
KORLINK_API int16_t COMMTxXlatSet(PortHandle port, int16_t item, intptr_t value);
KORLINK_API intptr_t COMMRxXlatGet(PortHandle port, int16_t item);
KORLINK_API int16_t COMMRxXlatSet(PortHandle port, int16_t item, intptr_t value);

/* ------------------------------------------ line control, data format */

enum {
    KORLINK_ITEM_STOPBITS = 3,
    KORLINK_ITEM_RTS = 4,
    KORLINK_ITEM_CTS = 5,
    KORLINK_ITEM_DSR = 6,
    KORLINK_ITEM_CD = 8,
    KORLINK_ITEM_DTR = 20,
    KORLINK_ITEM_RI = 22,
    KORLINK_ITEM_PARITY = 28,
    KORLINK_ITEM_DATABITS = 96,
    KORLINK_ITEM_BREAK = 100,
    KORLINK_ITEM_FORMAT_EXTRA = 105,
    KORLINK_ITEM_BAUD = 108
};

/* Line states are 1 high, 0 low. RTS and DTR read back the state last set
 * (raised at open); CTS, DSR, CD and RI give -1 when the device cannot report
 * them (a pseudo-terminal). Other items -103 (reported). No lock test. */
KORLINK_API int16_t COMMRS232Get(PortHandle port, int16_t item);
/* Switches RTS or DTR. state other than 0/1 -104, other items -103 (both
 * reported), -122 while held; else 0 whatever the device did. */
KORLINK_API int16_t COMMRS232Set(PortHandle port, int16_t item, int16_t state);
/* Holds a break for 300 ms (value is not used), pumping meanwhile. 0, or
 * -122 while held; a device failure is kept in the last error. A port the
 * pump closes meanwhile is not touched again: -102. */
KORLINK_API int16_t COMMRS232SendBreak(PortHandle port, int16_t value);
/* Stop bits (1 one, 2 two, 3 one and a half), parity (0 none, 1 odd, 2 even,
 * 3 mark, 4 space), data bits (5..8) as the device has them; baud rate; -1
 * when unreadable and for item 105. Other items -103. */
KORLINK_API int32_t COMMDataFormatGet(PortHandle port, int16_t item);
/* Sets one format value. Out-of-range values -104 and unknown items -103
 * (reported); -122 while held. The device's result otherwise: 0, or -1 when
 * it refuses (a pseudo-terminal keeps 8 data bits and no parity). Either way
 * the port's data-format word records the new stop, parity or data-bits
 * code. One and a half stop bits are asked of the device as two. */
KORLINK_API int16_t COMMDataFormatSet(PortHandle port, int16_t item, uint16_t value);

/* ------------------------------------------------------ string watch */

/* Up to four strings of at most 10 characters are looked for in the bytes
 * c_getc takes; the callback runs on c_getc's thread, with its own slot
 * paused, each time its string has arrived. A mismatching byte restarts a
 * slot without being tried as a first character ("OK" is not seen in OOK). */
typedef int (*WatchCallback)(PortHandle port, int16_t slot);

/* With a callback: watches the first min(length, 10) characters of text in
 * the first free slot; the slot number, or -118 when all four are in use.
 * Without: frees the first slot whose text begins with the first `length`
 * characters of text; its number, or -1. NULL text -103 (reported). */
KORLINK_API int16_t COMMWatchSet(PortHandle port, const char *text, int16_t length,
                                 WatchCallback callback);
/* Feeds one byte to every active slot. 0. A slot whose text is complete
 * keeps its match for COMMWatchCheck: later bytes are not compared with it. */
KORLINK_API int16_t COMMWatchUpdate(PortHandle port, int16_t byte);
/* Runs the callbacks of completed slots in slot order; the last callback's
 * result, or 0 when none ran. */
KORLINK_API int16_t COMMWatchCheck(PortHandle port);

/* -------------------------------------------- file transfer (XMODEM) */

/* Protocol codes of freceive/fsend. */
enum {
    KORLINK_PROTO_ASCII = 100,
    KORLINK_PROTO_KERMIT = 104,
    KORLINK_PROTO_XMODEM = 105,      /* 128-byte blocks, 8-bit sum */
    KORLINK_PROTO_XMODEM_CRC = 106,  /* 128-byte blocks, CRC-16    */
    KORLINK_PROTO_XMODEM_1K = 107,   /* 1024-byte blocks, CRC-16   */
    KORLINK_PROTO_YMODEM = 108,      /* batch, 1024, CRC-16        */
    KORLINK_PROTO_YMODEM_G = 109,    /* streaming batch            */
    KORLINK_PROTO_ZMODEM = 110
};

/* Status codes given to the StatusCallback (their parameters are listed at
 * the top of this file). */
enum {
    KORLINK_STATUS_RECOGNISED = 105,      /* control byte or protocol seen    */
    KORLINK_STATUS_ZMODEM_FRAME = 110,    /* ZMODEM header received: its type */
    KORLINK_STATUS_RESUME_AT = 4004,      /* a partial file continues here    */
    KORLINK_STATUS_BAD_BLOCK_NUMBER = 4001,
    KORLINK_STATUS_BAD_CHECK = 4002,
    KORLINK_STATUS_FILE_FAILED = 4003,    /* disk full, create or write failed */
    KORLINK_STATUS_FILE_TIME = 4006,
    KORLINK_STATUS_FILE_CLOSED = 4007,
    KORLINK_STATUS_FILE_NAME = 4008,
    KORLINK_STATUS_BYTE_COUNT = 4009,
    KORLINK_STATUS_RENAMED = 4012,
    KORLINK_STATUS_FILE_LENGTH = 4013,
    KORLINK_STATUS_FILE_OPENING = 4014,
    KORLINK_STATUS_UNEXPECTED_BYTE = 4015,
    KORLINK_STATUS_TIMEOUT = 4016,        /* time-out or unexpected reply     */
    KORLINK_STATUS_DATA_ROOM = 4017,      /* Kermit                           */
    KORLINK_STATUS_REMOTE_CANCEL = 4018,
    KORLINK_STATUS_NAK_RECEIVED = 4020,
    KORLINK_STATUS_ACK_SENT = 4023,
    KORLINK_STATUS_NAK_SENT = 4025,
    KORLINK_STATUS_TRANSFER_END = 4027,
    KORLINK_STATUS_SEND_START = 4028,
    /* Additions of this library: */
    KORLINK_STATUS_SHORT_FILE = 4030,     /* batch file ended before its length */
    KORLINK_STATUS_END_UNCONFIRMED = 4031, /* send: end never answered         */
    KORLINK_STATUS_LONG_FILE = 4032,      /* more data than the announced length */
    KORLINK_STATUS_SKIPPED = 4033,        /* a file the receiver skipped      */
    KORLINK_STATUS_KERMIT_ABORT = 4096,
    KORLINK_STATUS_KERMIT_BREAK = 4097,
    KORLINK_STATUS_KERMIT_DATA = 4098,
    KORLINK_STATUS_KERMIT_ERROR = 4099,
    KORLINK_STATUS_KERMIT_FILE = 4100,
    KORLINK_STATUS_KERMIT_SEND_INIT = 4101,
    KORLINK_STATUS_KERMIT_EOF = 4102,
    KORLINK_STATUS_KERMIT_NAME_TOO_LONG = 4103, /* send: name cannot fit a packet */
    KORLINK_STATUS_KERMIT_ONE_FILE_ONLY = 4104  /* receive: second file, fixed name */
};
/* Parameters of KORLINK_STATUS_RECOGNISED on send: how the receiver started. */
enum {
    KORLINK_START_CHECKSUM = 500,         /* NAK: 8-bit sum                   */
    KORLINK_START_CRC = 501,              /* 'C': CRC-16                      */
    KORLINK_START_BATCH_HEADER = 108      /* receive: a batch header block    */
};

/* Status callback: callback(port, status, param). For statuses 4008, 4012
 * and 4014 param is the address of a NUL-terminated file name. Runs on the
 * thread that runs the transfer. The result is ignored. */
typedef int (*StatusCallback)(PortHandle port, int32_t status, intptr_t param);

/* Receives a file (or a YMODEM batch) into the working directory, under
 * COMMXMODEMSet item 208's name ("temp0000.$$$") or the batch header's.
 * background 1 runs it on a worker thread and returns 0 at once; the outcome
 * is then in the port's last error when the lock (COMMPortGet -122) drops.
 * 0 success (last error 0), -1 failure, -102 null or dead handle or closed
 * by the host during the call, -118 out of memory, -122 held. After -1 the
 * last error says why: 4016 no block after the retries, 4018 the sender
 * cancelled, 4003 disk or file failure, 4030 a batch file shorter than its
 * announced length, -123 user cancel, -112 carrier lost,
 * -118 out of memory, -103 a protocol this library has no receive engine for
 * (anything but 100, 104 and 105..109). Every path closes the output file; a
 * partly received file stays. */
KORLINK_API int16_t freceive(PortHandle port, int16_t protocol, int32_t bufferSize,
                             StatusCallback callback, int16_t background);

/* Sends the files of send queue `queue`; the queue is used up whatever the
 * outcome. 0 success (last error 0), -1 failure, -102 null or dead handle or
 * closed by the host during the call, -113 no such queue, -122 the port or
 * the queue is held by a background fsend, -118 out of memory. After -1 the
 * last error says why: -113 an empty queue, 4016, 4018, -123, -112 as for
 * freceive, -103 a protocol without a send engine here. */
KORLINK_API int16_t fsend(PortHandle port, int16_t queue, int16_t protocol,
                          int32_t bufferSize, StatusCallback callback, int16_t background);

/* Frees a queue's buffer and file, then funqueue: -1 when closing the file
 * failed, else as funqueue. */
KORLINK_API int16_t funload(int16_t queue, const char *fileName);

/* XMODEM settings: items 0 (free), 1 (create), 111, 112 (rename on
 * collision), 201 (CAN limit), 203 (time-out ms), 207 (retry limit),
 * 208 (file name; value is its address, 0 restores "temp0000.$$$"),
 * 211 (pad byte), 212 (send without the receiver's start character).
 * Get returns -1 while the record does not exist; item 208 gives the
 * address of the name. Set gives -122 while a background transfer holds the
 * port, and for item 0 also from host code run inside a call on the port
 * (the record of a running transfer is not freed under it). */
enum {
    KORLINK_XMODEM_FREE = 0,
    KORLINK_XMODEM_CREATE = 1,
    KORLINK_XMODEM_CARRIER_WATCH = 111,
    KORLINK_XMODEM_RENAME = 112,
    KORLINK_XMODEM_CAN_LIMIT = 201,
    KORLINK_XMODEM_TIMEOUT_MS = 203,
    KORLINK_XMODEM_RETRY_LIMIT = 207,
    KORLINK_XMODEM_FILE_NAME = 208,
    KORLINK_XMODEM_PAD_BYTE = 211,
    KORLINK_XMODEM_NO_START_WAIT = 212
};
KORLINK_API intptr_t COMMXMODEMGet(PortHandle port, int16_t item);
KORLINK_API int16_t COMMXMODEMSet(PortHandle port, int16_t item, intptr_t value);

/* Asks a running transfer on this port to stop: whatever it is waiting for,
 * it sends the cancel sequence and ends with -123 (last error -123). With a
 * window handle set (COMMPortSet 108) the cancel key is posted for the next
 * wait; otherwise a cancel request is set, which the next wait of the
 * transfer (or of the host, when none runs) takes. 0, or -102 (reported). */
KORLINK_API int16_t COMMXferCancel(PortHandle port);

/* Check values. crc_ccitt starting from 0 with no final XOR is the XMODEM
 * CRC; crc32 uses the reflected table of 0xEDB88320 and leaves the initial
 * and final values to the caller. checksumn gives 0xFF9A (-102) for NULL. */
KORLINK_API uint16_t checksum(uint16_t sum, uint8_t byte);
KORLINK_API uint16_t checksumn(const uint8_t *data, uint16_t length);
KORLINK_API uint16_t crc16(uint16_t crc, uint8_t byte, uint16_t polynomial);
KORLINK_API uint16_t crc_ccitt(uint16_t crc, uint8_t byte);
KORLINK_API uint32_t crc32(uint32_t crc, uint8_t byte, uint32_t unused);

/* ------------------------------------------------ modem command services
 *
 * The COMMModem family drives a Hayes-compatible modem on an open port. Each
 * port has a modem settings record, created with the defaults below by the
 * first call of the family (COMMModemGet excepted) and freed at close. Every
 * function gives -102 for a null or dead handle (reported), -122 while a
 * background transfer holds the port and -118 when the record cannot be
 * made. Results from 0 up are numbers of the result-code table (below); -1
 * means no recognised reply, -123 a cancel key press during a wait. All
 * waits pump the host's messages.
 *
 * A command line is the attention prefix, the result-code setting, the
 * command and CR ("AT" "Q" command CR by default), sent in upper case without
 * bit-7 bytes, with the inter-character delay after each byte; each "~" in
 * the command is not sent but waits the pause delay (500 ms). DTR is raised
 * for the line when low, and the carrier watch is off while it is sent.
 *
 * Modem items (COMMModemGet/COMMModemSet); texts are copied up to their limit:
 *   1  dial command ("D", 2 characters)     2  echo setting ("E1", 2)
 *   3  escape-character setting ("S2=043", 8; the number is the character)
 *   4  result-code setting ("Q", 2)         5  reset command ("Z", 2)
 *   6  speaker setting ("M1", 2)            7  verbose-result setting ("V1", 2)
 *   8  attention prefix ("AT", 2)           9  Set only: a value kept for the host
 *   11 DTR-drop time at hang-up, ms (2500; also the escape's guard time)
 *   12 reply receive time-out, ms (500)     13 reply line time-out, ms (2500)
 *   14 inter-character delay of command lines, ms (56)
 *   15 fixed speed: 1 (default) keeps the baud rate when a dial connects
 *   16 wait-for-carrier setting ("S7=60", 9): the number is also the time in
 *      seconds (at most 64) that a dial waits for its outcome
 *   17 Get only: 128 once initialised (set by default), else 0
 *   18 Get only: address of the last dial's reply (up to 81 bytes)
 * Get gives the address of a text, or the value; -116 while the record does
 * not exist (Get does not create it). Unknown items -103 (reported); Set of a
 * text item with a null address -104 (reported).
 *
 * Result-code table, searched in this order; a reply is first searched for
 * every verbose text as a whole reply (no letter or digit right before or
 * after it: "CONNECT 12000" is 1, not 5), then for a numeric reply (a line
 * holding only the number, ended by CR: "13" CR is no reply of the table):
 *   73 "PROTOCOL:ERROR-CONTROL/AFT\r\n"   72 "PROTOCOL:ERROR-CONTROL/LAP-B/HDX\r\n"
 *   71 "PROTOCOL:ERROR-CONTROL/LAP-B\r\n" 70 "PROTOCOL:NONE\r\n"
 *   50 "CARRIER 9600"   47 "CARRIER 2400"   46 "CARRIER 1200"   40 "CARRIER 300"
 *   24 "CONNECT 38400"  15 "CONNECT 14400"  14 "CONNECT 19200"  12 "CONNECT 9600"
 *   11 "CONNECT 4800"   10 "CONNECT 2400"    9 "CONNECT 600"     8 "NO ANSWER"
 *    7 "BUSY"            6 "NO DIAL TONE"    6 "NO DIALTONE"     5 "CONNECT 1200"
 *    4 "ERROR"           3 "NO CARRIER"      2 "RING"            1 "CONNECT"
 *    0 "OK"
 *
 * Simulated modem lines: pseudo-terminals have no modem-status lines. When
 * the environment variable KORLINK_LINES<n> names a folder at COMMWinInit,
 * COM n reads CD, DSR, CTS and RI from the files of those names in it ("1"
 * high, anything else low, no file: unreadable, -1) and writes every switch
 * of DTR and RTS to the files DTR and RTS ("1" or "0"). A test's modem can so
 * raise and drop the carrier and follow DTR.
 */
enum {
    KORLINK_MODEM_DIAL_COMMAND = 1,
    KORLINK_MODEM_ECHO = 2,
    KORLINK_MODEM_ESCAPE = 3,
    KORLINK_MODEM_RESULT_CODES = 4,
    KORLINK_MODEM_RESET = 5,
    KORLINK_MODEM_SPEAKER = 6,
    KORLINK_MODEM_VERBOSE = 7,
    KORLINK_MODEM_ATTENTION = 8,
    KORLINK_MODEM_HOST_VALUE = 9,
    KORLINK_MODEM_DTR_DROP_MS = 11,
    KORLINK_MODEM_REPLY_TIMEOUT_MS = 12,
    KORLINK_MODEM_LINE_TIMEOUT_MS = 13,
    KORLINK_MODEM_INTERCHAR_MS = 14,
    KORLINK_MODEM_FIXED_SPEED = 15,
    KORLINK_MODEM_CARRIER_WAIT = 16,
    KORLINK_MODEM_INITIALISED = 17,
    KORLINK_MODEM_LAST_DIAL_REPLY = 18
};
/* Numbers of the result-code table. */
enum {
    KORLINK_RESULT_OK = 0,
    KORLINK_RESULT_CONNECT = 1,
    KORLINK_RESULT_RING = 2,
    KORLINK_RESULT_NO_CARRIER = 3,
    KORLINK_RESULT_ERROR = 4,
    KORLINK_RESULT_CONNECT_1200 = 5,
    KORLINK_RESULT_NO_DIAL_TONE = 6,
    KORLINK_RESULT_BUSY = 7,
    KORLINK_RESULT_NO_ANSWER = 8,
    KORLINK_RESULT_CONNECT_600 = 9,
    KORLINK_RESULT_CONNECT_2400 = 10,
    KORLINK_RESULT_CONNECT_4800 = 11,
    KORLINK_RESULT_CONNECT_9600 = 12,
    KORLINK_RESULT_CONNECT_19200 = 14,
    KORLINK_RESULT_CONNECT_14400 = 15,
    KORLINK_RESULT_CONNECT_38400 = 24,
    KORLINK_RESULT_CARRIER_300 = 40,
    KORLINK_RESULT_CARRIER_1200 = 46,
    KORLINK_RESULT_CARRIER_2400 = 47,
    KORLINK_RESULT_CARRIER_9600 = 50,
    KORLINK_RESULT_PROTOCOL_NONE = 70,
    KORLINK_RESULT_PROTOCOL_LAPB = 71,
    KORLINK_RESULT_PROTOCOL_LAPB_HDX = 72,
    KORLINK_RESULT_PROTOCOL_AFT = 73
};
KORLINK_API intptr_t COMMModemGet(PortHandle port, int16_t item);
KORLINK_API int16_t COMMModemSet(PortHandle port, int16_t item, intptr_t value);

/* Sends one command line without reading a reply. c_puts's result; -118 for
 * a line of 42 characters or more (nothing is sent); NULL command -103. */
KORLINK_API int16_t COMMModemPuts(PortHandle port, const char *command);
/* Discards pending input, sends the command line and reads the reply: the
 * bytes up to the first CR (the modem's echo) are skipped, the rest is read
 * until the line is quiet for the reply receive time-out (at most 39
 * characters). When nothing follows and what was skipped is no echo (a
 * modem without echo answering "0" CR), that is the reply. The reply's
 * table number or -1; NULL command -103. */
KORLINK_API int16_t COMMModemCommand(PortHandle port, const char *command);
/* Like COMMModemCommand, but returns the reply text (fewer than maxLength
 * and at most 39 characters), kept in the port's record until the next
 * command; NULL for a null port or command (reported). */
KORLINK_API const char *COMMModemCommandString(PortHandle port, const char *command, int16_t maxLength);
/* Classifies a reply text with the table; -1 when no row matches; NULL text
 * -102 (reported). */
KORLINK_API int16_t COMMModemParseReply(const char *text);

/* Configures the modem for a model code: an optional first command, then
 * the line made of the model's start and the dial-mode, echo, verbose,
 * auto-answer, escape, wait-for-carrier, dial-tone-wait and speaker settings,
 * then an empty command. Code 0 sends ATQX1TE1V1S0=0S2=043S7=60S6=2M1 CR and
 * ATQ CR. Codes 1..299, 301..960, 963, 9600, 14400 and other codes above 965
 * (and negative ones) send ATQ&C1&D2X4S11=50 CR first; 300, 1200 (line
 * starting X1), 1300 (L1X4) and 961, 962, 964, 965 (X3) do not. The first
 * command's negative result is returned at once; otherwise the result of the
 * settings line, which sets the initialised flag when it is 0. */
KORLINK_API int16_t COMMModemInit(PortHandle port, int16_t modelCode);
/* Sends V1 and then I0 and gives the speed class the I0 reply names: 28800
 * ("288"), 14400 ("14"), 9600 ("96"), 2400 ("24"), 1300 ("13"), 1200
 * ("12"), 0 for none; -1 when V1 had no recognised reply. */
KORLINK_API int16_t COMMModemType(PortHandle port);
/* Dials: raises DTR (when low), waits 1 s, sends the dial command followed
 * by number, waits 2 s and runs COMMModemWaitResponse. A connection whose
 * carrier speed is not 14400 sets the port's baud rate to it unless the
 * fixed-speed flag (item 15) is set. -123 (cancelled) sends CR to stop the
 * modem; a negative result lowers DTR again when it was low. NULL number or
 * 41 characters or more: -103 (reported). */
KORLINK_API int16_t COMMModemDial(PortHandle port, const char *number);
/* Waits for a dial's outcome, looking at up to 81 received bytes without
 * removing them (item 18 gives them): 7 BUSY, 8 NO ANSWER, 6 NO DIAL...,
 * 4 ERROR CR, 3 NO CARRIER CR (or the same numbers as numeric replies),
 * each at once; 0 once CONNECT or a numeric CONNECT reply ("12" CR) came
 * (the wait goes on 2 s for the lines after it; a numeric reply gives its
 * row's speed, "CONNECT n" the speed n); -1 when the wait-for-carrier time
 * passes or 81 bytes come without any of these; -123 on the cancel key
 * before CONNECT. After CONNECT, COMMLinkGet reports the speeds and the link
 * flags. The carrier watch is off meanwhile; a connection without carrier
 * detect leaves it off. */
KORLINK_API int16_t COMMModemWaitResponse(PortHandle port);
/* Hangs up when carrier detect is high (else does nothing and gives 0):
 * purges the transmit queue, drops DTR for the DTR-drop time and looks for
 * "NO CARRIER" for 1 s; if carrier is still high it escapes to command mode
 * (COMMModemGoCommand). With the reply: 1 while carrier is still high 0.5 s
 * later, else 0. Without: sends "+++", waits 0.5 s and the command H0 twice,
 * giving the last reply's number. The carrier watch is off meanwhile. */
KORLINK_API int16_t COMMModemHangup(PortHandle port);
/* With carrier detect high: the escape character three times between two
 * guard times of the DTR-drop time. 0. */
KORLINK_API int16_t COMMModemGoCommand(PortHandle port);
/* Hangs up, then sends the reset command with both receive time-outs at the
 * reply line time-out; the reset reply's number. Options are restored. */
KORLINK_API int16_t COMMModemReset(PortHandle port);
/* 4 when the fixed-speed flag is set (the default), else 0. */
KORLINK_API int16_t COMMModemIsFixedSpeed(PortHandle port);

/* Probes. IsRacalVadic: Ctrl-E CR answered within 2 s by the greeting
 * "\n\rHELLO: I'M READY\n\r" gives 1 (the modem is then sent "i\r"), else 0.
 * RacalCommand: sets option `option` to `value` through the same greeting's
 * option dialogue; 0 when every prompt came, else the failed wait's result
 * (-1); "i\r" ends it in every case. IsTelebit: S49=1 then I0; a reply of
 * 123 gives the I0 number after S49=0, else 0. IsUDS: an I3 reply holding
 * "V3225 VERSION" gives 2, "V3224 VERSION" 1, else 0. */
KORLINK_API int16_t COMMModemIsRacalVadic(PortHandle port);
KORLINK_API int16_t COMMModemRacalCommand(PortHandle port, int16_t option, int16_t value);
KORLINK_API int16_t COMMModemIsTelebit(PortHandle port);
KORLINK_API int16_t COMMModemIsUDS(PortHandle port);

/* What the last connected dial found: 200 carrier speed (the port's baud
 * rate when none was found), 201 compression, 202 MNP-style error
 * correction, 203 the "00T" flag, 204 V.42 error correction; flags 0 or 1.
 * Other items -103 (reported). */
enum {
    KORLINK_LINK_CARRIER_SPEED = 200,
    KORLINK_LINK_COMPRESSION = 201,
    KORLINK_LINK_MNP = 202,
    KORLINK_LINK_00T = 203,
    KORLINK_LINK_V42 = 204
};
KORLINK_API int32_t COMMLinkGet(PortHandle port, int16_t item);

/* ---------------------------------------------- ASCII capture and send
 *
 * freceive protocol 100 stores whatever the peer sends, as it arrives, in a
 * file in the working directory, until the end character has been stored or
 * the line stays silent for the time-out. Reports: 4012 (name) when renamed,
 * 4014 (name) once the file is open, 4009 with the count every 256 bytes,
 * 4016 with the count at the silence, 4007 when closed; -123 or -112 with the
 * count end it (bytes received so far stay in the file). The port's last
 * error is then 0 after a normal end, else -113 (no free rename candidate,
 * nothing started), 4003 (file cannot be created or written), -123 or -112;
 * freceive gives 0 or -1. Bytes after the end character stay unread.
 *
 * fsend protocol 100 sends each queued file's bytes as they are, with no
 * protocol around them: raw output (the transmit options do not apply; the
 * output flow control of transmit item 120 does), the line's data format as
 * it is set, received bytes left alone. Item 102 translates line ends on the
 * way; item 108 pauses after every byte sent, item 107 after every line end
 * sent (an LF, or a CR not followed by LF); with neither the bytes go out
 * as fast as the line takes them. After each file the end character (item
 * 212, when set) is sent, so a capture at the far end ends at once. A file
 * ends once its last byte has left the transmit queue. Reports, in order:
 * 4028 (files queued); per file 4014 and 4008 (name), 4013 (size), 4006
 * (modification time, local), 4009 with 0, then 4009 with the file bytes
 * sent every 256 bytes and at the end, 4007 with 1 when the whole file went
 * out (0 when it ended early); finally 4027 with 1. A user cancel (-123) or
 * carrier loss (-112, with item 111 or the port's carrier watch on) stops
 * the send at once, reported with the byte count: no cancel sequence is sent,
 * since every byte is data to the receiver. Output that stands still for the
 * time-out (item 203: flow control holding it, a stalled device) ends the
 * send with 4016. Last error: 0, -123, -112, 4016, or -113 when a queued file
 * cannot be opened (the files before it went out); fsend gives 0 or -1.
 *
 * ASCII items (COMMASCIIGet/COMMASCIISet), one record for both directions:
 *   0   Set only: frees the record     1   Set only: creates it
 *   111 carrier loss ends a capture or a send (created as the port's
 *       carrier watch)
 *   112 capture: rename when the file exists, the extension becomes DL0..DL9
 *   203 capture: time-out of silence, ms; send: longest stall, ms (10000)
 *   212 end character (-1: none): ends a capture; sent after each file
 *   208 capture: file name ("temp0000.$$$", up to 260 characters; Set 0
 *       restores it)
 *   102 send: line-ending mode, the transmit options' modes 0..8 (0)
 *   107 send: pause after each line end, ms, 0..60000 (0)
 *   108 send: pause after every byte, ms, 0..60000 (0)
 * Get gives the value (111, 112 as 0 or 1, 208 the name's address), -1 while
 * the record does not exist; unknown items -103 (reported); Set gives -104
 * for a mode or delay out of range and -122 while a background transfer
 * holds the port. */
enum {
    KORLINK_ASCII_FREE = 0,
    KORLINK_ASCII_CREATE = 1,
    KORLINK_ASCII_LINE_ENDING = 102,
    KORLINK_ASCII_LINE_DELAY_MS = 107,
    KORLINK_ASCII_CHAR_DELAY_MS = 108,
    KORLINK_ASCII_CARRIER_WATCH = 111,
    KORLINK_ASCII_RENAME = 112,
    KORLINK_ASCII_TIMEOUT_MS = 203,
    KORLINK_ASCII_FILE_NAME = 208,
    KORLINK_ASCII_END_CHAR = 212
};
KORLINK_API intptr_t COMMASCIIGet(PortHandle port, int16_t item);
KORLINK_API int16_t COMMASCIISet(PortHandle port, int16_t item, intptr_t value);
/* ------------------------------------------------ file transfer (Kermit)
 *
 * Protocol 104 of freceive and fsend. freceive receives every file of the
 * peer's batch into the working directory under the name its file header
 * gives, reduced to a bare file name (no directory, no "..", no control
 * characters), or under the name fixed by item 208; a name with nothing
 * usable left (empty, "..") is stored as "unnamed" through the rename rule
 * below (reported with 4014 and 4012) and the batch goes on. fsend sends
 * the queue's files under their names without directory, whole. Both end with 0 and last
 * error 0 when the whole batch went through, else -1 with the reason in the
 * last error: 4016 retries used up, 4018 the peer's error packet, 4096 the
 * peer's abort packet (receive), 4003 a file that cannot be created or
 * written (receive), -113 a queued file that cannot be read (send), 4103 a
 * queued file left out because its name does not fit one packet (send: the
 * other files still go, then the send ends with -1), 4104 a second file of
 * the batch refused while item 208 fixes the one name every file would be
 * stored under (receive: the first file stays, an error packet ends the
 * batch), -123
 * user cancel (an error packet "User intervention" goes to the peer), -112
 * carrier lost, -118 no memory.
 *
 * Status reports besides those of the XMODEM family: 4101 Send-Init
 * received or sent, 4100 file header received or acknowledged, 4098 data
 * phase of a send begins, 4102 end-of-file packet sent, 4097 break (end of
 * the batch) sent or received, 4099 error packet received or sent, 4096
 * abort packet received, 4017 running sum of unused data room after each
 * received data packet. 4023 and 4025 carry the sequence number of the
 * acknowledgement or negative acknowledgement sent; 4007 on receive carries
 * the file name; on send 4014 names the file about to go, 4007 carries 1
 * when the receiver acknowledged the file's end (else 0); 4103 carries the
 * name of a queued file left out, 4104 the fixed name.
 *
 * Block checks: type 1 (6-bit sum), 2 (12-bit sum) and 3 (16-bit CRC).
 * This side offers the type asked for (item 519, default '3'); a receive
 * answers with the sender's type when it is 1, 2 or 3 and no stronger than
 * the one asked for, and a send uses its offer when the receiver's answer
 * repeats it; otherwise both use type 1. Send-Init packets and their
 * answers always carry type 1. On a line with parity (noted when the
 * record is created) each received character counts as its low 7 bits,
 * sent checks are computed over 7 bits, and bytes with bit 7 set go out
 * with the eighth-bit prefix. A data packet repeated by the peer is
 * acknowledged again and never written twice.
 *
 * A receive ended by a cancel, a carrier loss or used-up retries removes
 * the partly received file unless item 204 is on; one ended by the peer's
 * abort or error packet keeps it. With item 112 on, an existing file is not
 * written over: the file arrives as NAME.DL0..DL9, and when all ten exist
 * it is refused (4003).
 *
 * Settings record, one per port, created with the defaults by COMMKermitSet
 * (any item but 0) or by the first Kermit transfer; item 0 frees it, and
 * closing the port frees it. Two sets of protocol parameters, the values
 * this side asks for (items 511..521) and the values in use (500..510,
 * filled from the peer's Send-Init during a transfer), in this order:
 *   packet mark (1), longest packet MAXL (94), time-out in seconds TIME (3),
 *   padding count (0), padding character (0), end-of-line character (13),
 *   control prefix '#', eighth-bit prefix '&', block check type ('3'
 *   asked for, '1' in use),
 *   repeat prefix '~', and one more value stored for the host (0).
 * A prefix of 0 in the set in use means that prefixing is off. This side
 * offers eighth-bit prefixing only on a line with parity (noted when the
 * record is created), else it offers 'Y'; an asked prefix of 'N' refuses
 * it. The check type asked for defaults to '3'; the one in use is '1' until
 * a Send-Init exchange agrees on another.
 * Further items: 207 retry limit (5), 203 time-out in ms (10000) used for a
 * packet wait when the peer asks for TIME 0, 208 file name (value: its
 * address, up to 260 characters; 0 clears it) under which every received
 * file is stored, 111 carrier-watch flag (stored), 112 rename instead of
 * overwriting, 204 keep a partly received file (flags: non-zero sets).
 *
 * Get returns the value (208: the address of the name, "" when none; flags
 * 0 or 1), -1 while the record does not exist. Both report an unknown item
 * ("ERROR: BADPARM1. Parameter %d is unrecognized") and give -103; a null
 * handle -102; Set gives -122 while a background transfer holds the port
 * and -118 without memory. */
enum {
    KORLINK_KERMIT_FREE = 0,
    KORLINK_KERMIT_CARRIER_WATCH = 111,
    KORLINK_KERMIT_RENAME = 112,
    KORLINK_KERMIT_TIMEOUT_MS = 203,
    KORLINK_KERMIT_KEEP_PARTIAL = 204,
    KORLINK_KERMIT_RETRY_LIMIT = 207,
    KORLINK_KERMIT_FILE_NAME = 208,
    /* Protocol parameters in use (first) and asked for (second), in order. */
    KORLINK_KERMIT_USED_MARK = 500,
    KORLINK_KERMIT_USED_MAXL = 501,
    KORLINK_KERMIT_USED_TIME = 502,
    KORLINK_KERMIT_USED_NPAD = 503,
    KORLINK_KERMIT_USED_PADC = 504,
    KORLINK_KERMIT_USED_EOL = 505,
    KORLINK_KERMIT_USED_QCTL = 506,
    KORLINK_KERMIT_USED_QBIN = 507,
    KORLINK_KERMIT_USED_CHKT = 508,
    KORLINK_KERMIT_USED_REPT = 509,
    KORLINK_KERMIT_USED_EXTRA = 510,
    KORLINK_KERMIT_ASK_MARK = 511,
    KORLINK_KERMIT_ASK_MAXL = 512,
    KORLINK_KERMIT_ASK_TIME = 513,
    KORLINK_KERMIT_ASK_NPAD = 514,
    KORLINK_KERMIT_ASK_PADC = 515,
    KORLINK_KERMIT_ASK_EOL = 516,
    KORLINK_KERMIT_ASK_QCTL = 517,
    KORLINK_KERMIT_ASK_QBIN = 518,
    KORLINK_KERMIT_ASK_CHKT = 519,
    KORLINK_KERMIT_ASK_REPT = 520,
    KORLINK_KERMIT_ASK_EXTRA = 521
};
KORLINK_API intptr_t COMMKermitGet(PortHandle port, int16_t item);
KORLINK_API int16_t COMMKermitSet(PortHandle port, int16_t item, intptr_t value);

/* ------------------------------------------------ file transfer (ZMODEM)
 *
 * Protocol 110 of freceive and fsend. Threads as for the other protocols:
 * a foreground transfer runs on the caller's thread and pumps its messages
 * while it waits; a background one (argument 1) runs on a worker thread
 * with a private copy of the port, locking the host's handle until it ends,
 * and the callback then runs on the worker.
 *
 * freceive announces this side (ZRINIT: full duplex, overlapped I/O, CRC-32
 * unless item 602 is off, escape-all when item 601 is on, the buffer size
 * of item 604) and receives every file of the peer's batch into the working
 * directory under the name its ZFILE gives, reduced to a bare file name as
 * the other receives do (no directory, no "..", no control characters; a
 * name with nothing usable left is stored as "unnamed" through the rename
 * rule). The file is opened without following a symbolic link. Its length
 * and modification time are reported and the time is set on the file. When
 * a file of that name shorter than the announced length exists and item
 * 603 is on (or the sender asks to resume), the receive continues it: the
 * first ZRPOS asks for the rest from its length (reported with 4004 and the
 * offset). Otherwise an existing file is written over, or with item 112 on
 * the rename rule applies (NAME.DL0..DL9). A damaged subpacket is answered
 * with ZRPOS at the last good byte (4025 with that count). A partly received
 * file always stays on disk, so a later receive can continue it.
 *
 * fsend sends the queue's files under their names without directory, with
 * length, modification time (octal seconds) and mode, in data subpackets of
 * item 605 bytes: streamed when the receiver announces no buffer size, else
 * with a ZCRCW and its ZACK after every buffer's worth. It seeks to every
 * ZRPOS the receiver sends, so a receiver's resume request (the first ZRPOS
 * at its partial file's length) sends only the rest. A ZSKIP is reported
 * with 4033 and the file's name, and the batch goes on. With item 603 on
 * the ZFILE asks the receiver to resume (conversion option "resume").
 *
 * Both end with ZFIN and "OO", and give 0 with last error 0 when the whole
 * batch went through, else -1 with the reason in the last error: 4016
 * retries used up (time-outs, damaged frames or a header storm: item 207 in
 * a row), 4018 the peer cancelled (five CAN), 4003 a file that cannot be
 * created or written or is longer than the free space (receive: the file is
 * skipped, the rest of the batch goes on), 4030 a file that ended before its
 * announced length, 4032 a sender that sent more than its announced length
 * (the receive stops, keeping what came), -113 a queued file that cannot be
 * read (send), -123 user cancel, -112 carrier lost, -118 no memory or line
 * state that cannot be saved. A cancel, carrier loss, used-up retries or a
 * length lie send the library's cancel sequence (five CAN, five backspace).
 *
 * Status reports are those of the XMODEM family: 4028 (send start), 4014
 * and 4008 with the name, 4013 length, 4006 modification time, 4012
 * renamed, 4009 byte count after every subpacket, 4002 damaged frame (byte
 * count), 4016 time-out (errors in a row), 4025 ZRPOS sent and 4020 ZRPOS
 * received (byte count), 4023 ZACK sent, 4007 file closed (receive: the
 * byte count; send: 1 when the receiver took the file's end, else 0),
 * 4018 peer cancel, 4027 end (1); 110 with the type of every header
 * received but ZACK; and 4004, 4033, 4030, 4032 above.
 *
 * Settings record, one per port, created with the defaults by COMMZMODEMSet
 * (any item but 0) or by the first ZMODEM transfer; item 0 frees it (-122
 * from a status callback), and closing the port frees it. Items:
 *   111 carrier-watch flag (stored; the port's watch at creation),
 *   112 rename instead of writing over an existing file (0),
 *   203 time-out in ms for every byte wait (10000),
 *   207 errors in a row before the transfer gives up (10),
 *   601 escape every control character this side sends, and ask the
 *       receiver to do the same (0),
 *   602 use CRC-32 when the peer can (1; 0: CRC-16 only),
 *   603 resume partial files (1),
 *   604 receive: buffer size announced to the sender, 0 streams (0),
 *   605 send: data bytes per subpacket, 32..8192 (1024).
 * Flags: non-zero sets. Get returns the value (flags 0 or 1), -1 while the
 * record does not exist. Both report an unknown item ("ERROR: BADPARM1.
 * Parameter %d is unrecognized") and give -103; a null handle -102; Set
 * gives -122 while a background transfer holds the port and -118 without
 * memory. */
enum {
    KORLINK_ZMODEM_FREE = 0,
    KORLINK_ZMODEM_CREATE = 1,
    KORLINK_ZMODEM_CARRIER_WATCH = 111,
    KORLINK_ZMODEM_RENAME = 112,
    KORLINK_ZMODEM_TIMEOUT_MS = 203,
    KORLINK_ZMODEM_RETRY_LIMIT = 207,
    KORLINK_ZMODEM_ESCAPE_ALL = 601,
    KORLINK_ZMODEM_CRC32 = 602,
    KORLINK_ZMODEM_RESUME = 603,
    KORLINK_ZMODEM_RECEIVE_BUFFER = 604,
    KORLINK_ZMODEM_SUBPACKET = 605
};
KORLINK_API intptr_t COMMZMODEMGet(PortHandle port, int16_t item);
KORLINK_API int16_t COMMZMODEMSet(PortHandle port, int16_t item, intptr_t value);

#ifdef __cplusplus
}
#endif

#endif /* KORLINK_H */
