#include "kermit/kermit_link.h"

#include "byteio/byte_common.h"

#include <algorithm>

namespace korlink {

uint32_t packetSum(const uint8_t *chars, size_t count, bool sevenBit) {
    uint32_t sum = 0;
    uint8_t mask = sevenBit ? 0x7F : 0xFF;
    for (size_t i = 0; i < count; ++i) sum += chars[i] & mask;
    return sum;
}

int checkType1(uint32_t sum) { return toChar(static_cast<int>((sum + ((sum >> 6) & 3)) & 63)); }

namespace {

void checkType2(uint32_t sum, uint8_t out[2]) {
    sum &= 4095;
    out[0] = static_cast<uint8_t>(toChar(static_cast<int>(sum >> 6)));
    out[1] = static_cast<uint8_t>(toChar(static_cast<int>(sum & 63)));
}

}  // namespace

int32_t KermitLink::waitMs() const {
    // TIME 0 asks for no time-out; the record's time-out still bounds a wait.
    int time = m_settings.inUse.time;
    return time > 0 ? time * 1000 : std::max<int32_t>(m_settings.timeoutMs, 1000);
}

// The next character before `deadline`, or a wait result below 0.
int KermitLink::waitChar(uint32_t deadline) const {
    int32_t left = static_cast<int32_t>(deadline - tickMs());
    if (left <= 0) return -1;
    return waitByte(m_io, -1, left);
}

int KermitLink::readPacketWithin(int32_t waitMs) {
    const int mark = m_settings.inUse.mark;
    uint8_t *buffer = m_settings.received.data();
    uint32_t deadline = tickMs() + static_cast<uint32_t>(waitMs);
    int c;
    do {
        c = waitChar(deadline);
        if (c < 0) return c;
    } while (c != mark);
    for (;;) {
        deadline = tickMs() + static_cast<uint32_t>(waitMs);
        int len = waitChar(deadline);
        if (len < 0) return len;
        if (len == mark) continue;
        int count = unChar(len);
        int checkChars = checkLength();
        // LEN counts SEQ, TYPE, data and check; anything outside that range
        // (also the extended-length forms, which this side never offers) is
        // not a packet this side can read.
        if (count < 2 + checkChars || count > kermitMaxLen) return kermitBadPacket;
        bool restarted = false;
        for (int i = 0; i < count; ++i) {
            deadline = tickMs() + static_cast<uint32_t>(waitMs);
            c = waitChar(deadline);
            if (c < 0) return c;
            if (c == mark && mark < 32) { restarted = true; break; }
            buffer[i] = static_cast<uint8_t>(c);
        }
        if (restarted) continue;
        int seq = unChar(buffer[0]);
        if (seq < 0 || seq > 63) return kermitBadPacket;
        size_t body = static_cast<size_t>(count - checkChars);
        uint32_t sum = static_cast<uint32_t>(len) + packetSum(buffer, body, false);
        if (checkChars == 1) {
            if (buffer[body] != checkType1(sum)) return kermitBadPacket;
        } else {
            uint8_t expected[2];
            checkType2(sum, expected);
            if (buffer[body] != expected[0] || buffer[body + 1] != expected[1]) return kermitBadType2;
        }
        m_sequence = seq;
        m_dataLength = body - 2;
        return buffer[1];
    }
}

size_t KermitLink::dataRoom() const {
    int most = kermitMaxLen - 2 - checkLength();
    return static_cast<size_t>(std::clamp(m_settings.inUse.maxl - checkLength() - 2, 1, most));
}

void KermitLink::sendPacket(char type, int sequence, const uint8_t *data, size_t length) {
    const KermitParams &use = m_settings.inUse;
    uint8_t *out = m_settings.outgoing.data();
    int checkChars = checkLength();
    length = std::min(length, static_cast<size_t>(kermitMaxLen - 2 - checkChars));
    size_t n = 0;
    out[n++] = static_cast<uint8_t>(use.mark);
    out[n++] = static_cast<uint8_t>(toChar(static_cast<int>(length) + 2 + checkChars));
    out[n++] = static_cast<uint8_t>(toChar(sequence & 63));
    out[n++] = static_cast<uint8_t>(type);
    if (length > 0) std::copy(data, data + length, out + n);
    n += length;
    uint32_t sum = packetSum(out + 1, n - 1, m_settings.parity);
    if (checkChars == 1) {
        out[n++] = static_cast<uint8_t>(checkType1(sum));
    } else {
        checkType2(sum, out + n);
        n += 2;
    }
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
