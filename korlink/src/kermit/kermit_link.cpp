#include "kermit/kermit_link.h"

#include "byteio/byte_common.h"
#include "kermit/kermit_checks.h"

#include <algorithm>

namespace korlink {

namespace {

constexpr int kermitLongestTaken = kermitMaxLen + 1;

// Packets whose check is always type 1, whatever type is in use.
bool alwaysType1(int type) { return type == 'S'; }

}  // namespace

int KermitLink::checkLength() const { return checkChars(m_settings.inUse.chkt); }

int32_t KermitLink::waitMs() const {
    // TIME 0 asks for no time-out; the record's time-out still bounds a wait.
    int time = m_settings.inUse.time;
    return time > 0 ? time * 1000 : std::max<int32_t>(m_settings.timeoutMs, 1000);
}

int KermitLink::readAnswer() {
    int32_t wait = waitMs();
    if (m_settings.asked.time > 0) wait = std::min<int32_t>(wait, m_settings.asked.time * 1000);
    return readPacketWithin(wait);
}

// The next character before `deadline`, or a wait result below 0.
int KermitLink::waitChar(uint32_t deadline) const {
    int32_t left = static_cast<int32_t>(deadline - tickMs());
    if (left <= 0) return -1;
    int c = waitByte(m_io, -1, left);
    // On a line with parity the eighth bit is the parity bit, not data.
    return c >= 0 && m_settings.parity ? c & 0x7F : c;
}

int KermitLink::readPacketWithin(int32_t waitMs) {
    const int mark = m_settings.inUse.mark;
    uint8_t *buffer = m_settings.received.data();
    uint32_t deadline = tickMs() + static_cast<uint32_t>(waitMs);
    // A line that keeps sending marks still ends the read.
    const uint32_t lastStart = tickMs() + static_cast<uint32_t>(waitMs) * 2;
    int c;
    do {
        c = waitChar(deadline);
        if (c < 0) return c;
    } while (c != mark);
    for (;;) {
        deadline = tickMs() + static_cast<uint32_t>(waitMs);
        int len = waitChar(deadline);
        if (len < 0) return len;
        if (len == mark) {
            if (static_cast<int32_t>(lastStart - tickMs()) <= 0) return kermitBadPacket;
            continue;
        }
        int count = unChar(len);
        // LEN counts SEQ, TYPE, data and check; anything outside that range
        // (also the extended-length forms, which this side never offers) is
        // not a packet this side can read. A peer using a longer block check
        // may fill its packets to one character more than asked for (LEN
        // then being DEL): such a packet is taken too.
        if (count < 3 || count > kermitLongestTaken) return kermitBadPacket;
        bool restarted = false;
        for (int i = 0; i < count; ++i) {
            deadline = tickMs() + static_cast<uint32_t>(waitMs);
            c = waitChar(deadline);
            if (c < 0) return c;
            if (c == mark && mark < 32) { restarted = true; break; }
            buffer[i] = static_cast<uint8_t>(c);
        }
        if (restarted) {
            if (static_cast<int32_t>(lastStart - tickMs()) <= 0) return kermitBadPacket;
            continue;
        }
        int type = alwaysType1(buffer[1]) ? '1' : m_settings.inUse.chkt;
        int checkCount = checkChars(type);
        int seq = unChar(buffer[0]);
        if (seq < 0 || seq > 63 || count < 2 + checkCount) return kermitBadPacket;
        size_t body = static_cast<size_t>(count - checkCount);
        // The check covers LEN too: it goes in front of SEQ for the sum.
        uint8_t checked[kermitPacketBuffer];
        checked[0] = static_cast<uint8_t>(len);
        std::copy(buffer, buffer + body, checked + 1);
        uint8_t expected[3];
        blockCheck(type, checked, body + 1, false, expected);
        if (!std::equal(expected, expected + checkCount, buffer + body))
            return checkCount == 1 ? kermitBadPacket : kermitBadCheck;
        m_sequence = seq;
        m_dataLength = body - 2;
        return buffer[1];
    }
}

size_t KermitLink::dataRoom() const {
    int most = kermitMaxLen - 2 - checkLength();
    return static_cast<size_t>(std::clamp(m_settings.inUse.maxl - checkLength() - 2, 1, most));
}

void KermitLink::sendWithCheck(char type, int sequence, const uint8_t *data, size_t length, int check) {
    const KermitParams &use = m_settings.inUse;
    uint8_t *out = m_settings.outgoing.data();
    int checkCount = checkChars(check);
    length = std::min(length, static_cast<size_t>(kermitMaxLen - 2 - checkCount));
    size_t n = 0;
    out[n++] = static_cast<uint8_t>(use.mark);
    out[n++] = static_cast<uint8_t>(toChar(static_cast<int>(length) + 2 + checkCount));
    out[n++] = static_cast<uint8_t>(toChar(sequence & 63));
    out[n++] = static_cast<uint8_t>(type);
    if (length > 0) std::copy(data, data + length, out + n);
    n += length;
    blockCheck(check, out + 1, n - 1, m_settings.parity, out + n);
    n += static_cast<size_t>(checkCount);
    out[n++] = static_cast<uint8_t>(use.eol);
    m_lastLength = n;
    if (type == 'Y') report(4023, sequence & 63);
    else if (type == 'N') report(4025, sequence & 63);
    resendLast();
}

void KermitLink::resendLast() {
    const KermitParams &use = m_settings.inUse;
    PortHandle handle = handleOf(&m_io);
    for (int i = 0; i < use.npad; ++i) {
        char pad = static_cast<char>(use.padc);
        c_putn(handle, 1, &pad);
    }
    c_putn(handle, static_cast<int32_t>(m_lastLength),
           reinterpret_cast<const char *>(m_settings.outgoing.data()));
}

KermitLineSetup::KermitLineSetup(Port &io) : m_io(io) {
    m_saved = COMMSaveXlat(handleOf(&io)) == KORLINK_OK;
    if (!m_saved) return;
    io.xlat.tx.enabled = false;
    io.xlat.rx.enabled = false;
}

KermitLineSetup::~KermitLineSetup() {
    if (m_saved) COMMRestoreXlat(handleOf(&m_io));
}

}  // namespace korlink
