// The packet layer of a Kermit transfer: reading and sending packets with
// the parameters in use, their block checks, and the status reports.
#pragma once

#include "kermit/kermit_settings.h"

#include <cstddef>
#include <cstdint>

namespace korlink {

// Kermit's printable encodings of small numbers and control characters.
inline int toChar(int value) { return value + 32; }
inline int unChar(int character) { return character - 32; }
inline int ctlFlip(int character) { return character ^ 64; }

// Status codes of the Kermit engines (the shared ones are in transfer/transfer_status.h).
enum KermitStatus : int32_t {
    KST_UNUSED_ROOM = KORLINK_STATUS_DATA_ROOM,
    KST_ABORT_PACKET = KORLINK_STATUS_KERMIT_ABORT,
    KST_BREAK = KORLINK_STATUS_KERMIT_BREAK,
    KST_DATA_PHASE = KORLINK_STATUS_KERMIT_DATA,
    KST_ERROR_PACKET = KORLINK_STATUS_KERMIT_ERROR,
    KST_FILE_HEADER = KORLINK_STATUS_KERMIT_FILE,
    KST_SEND_INIT = KORLINK_STATUS_KERMIT_SEND_INIT,
    KST_END_OF_FILE = KORLINK_STATUS_KERMIT_EOF,
    KST_NAME_TOO_LONG = KORLINK_STATUS_KERMIT_NAME_TOO_LONG,
    KST_ONE_FILE_ONLY = KORLINK_STATUS_KERMIT_ONE_FILE_ONLY
};

// readPacket's results besides a packet type.
inline constexpr int kermitBadPacket = -1;      // time-out, short or bad type-1 check
inline constexpr int kermitBadCheck = 'Q';      // type-2 or type-3 check mismatch

class KermitLink {
public:
    // `io` is the port the transfer works on; reports name `reportHandle`.
    KermitLink(Port &io, PortHandle reportHandle, StatusCallback callback, KermitSettings &settings)
        : m_io(io), m_reportHandle(reportHandle), m_callback(callback), m_settings(settings) {}

    Port &port() const { return m_io; }
    KermitSettings &settings() const { return m_settings; }
    KermitParams &inUse() const { return m_settings.inUse; }

    // Reads the next packet: its type; kermitBadPacket; kermitBadCheck; or a
    // wait result below -1 (-123 cancel, -112 carrier lost, -102 port gone),
    // unchanged. Any well-formed packet up to LEN 95 is taken, also one
    // longer than the length this side announced. A packet mark arriving
    // inside a packet starts a new one. An S packet carries a type-1 check
    // whatever type is in use; on a line with parity each character counts
    // as its low 7 bits.
    int readPacket() { return readPacketWithin(waitMs()); }
    // An answer to a packet this side sent: the wait is also bounded by the
    // time-out this side asked for (item 513), so that a peer that drops a
    // damaged packet without a word gets it again soon, not after its own
    // longer TIME.
    int readAnswer();
    // The same with each wait lasting `waitMs` instead of TIME seconds.
    int readPacketWithin(int32_t waitMs);
    int sequence() const { return m_sequence; }
    const uint8_t *data() const { return m_settings.received.data() + 2; }
    size_t dataLength() const { return m_dataLength; }

    // Sends a packet with the parameters in use (the data must fit
    // dataRoom()). Y reports 4023 and N 4025 with the sequence number.
    // An S always carries a type-1 check.
    void sendPacket(char type, int sequence, const uint8_t *data, size_t length) {
        sendWithCheck(type, sequence, data, length, type == 'S' ? '1' : m_settings.inUse.chkt);
    }
    void sendPacket(char type, int sequence) { sendPacket(type, sequence, nullptr, 0); }
    // Sends S, or the Y that answers one: always with a type-1 check.
    void sendInitPacket(char type, int sequence, const uint8_t *data, size_t length) {
        sendWithCheck(type, sequence, data, length, '1');
    }
    // Sends the last packet again, unchanged.
    void resendLast();

    // Characters of the block check in use (1, 2 or 3).
    int checkLength() const;
    // Encoded data characters a packet to the peer can hold.
    size_t dataRoom() const;

    void report(int32_t status, intptr_t param) const {
        if (m_callback) m_callback(m_reportHandle, status, param);
    }

private:
    void sendWithCheck(char type, int sequence, const uint8_t *data, size_t length, int check);
    int waitChar(uint32_t deadline) const;
    int32_t waitMs() const;

    Port &m_io;
    PortHandle m_reportHandle;
    StatusCallback m_callback;
    KermitSettings &m_settings;
    int m_sequence = 0;
    size_t m_dataLength = 0;
    size_t m_lastLength = 0;     // bytes of the last packet in `outgoing`
};

// Puts the line into the state a Kermit transfer needs and restores it at
// the end: transmit and receive options off (no case or line-ending
// translation of packets). Data format and flow control stay: Kermit's
// packets are printable, so 7-bit lines and XON/XOFF pacing carry them.
class KermitLineSetup {
public:
    explicit KermitLineSetup(Port &io);
    ~KermitLineSetup();
    KermitLineSetup(const KermitLineSetup &) = delete;
    KermitLineSetup &operator=(const KermitLineSetup &) = delete;
    bool saved() const { return m_saved; }

private:
    Port &m_io;
    bool m_saved = false;
};

}  // namespace korlink
