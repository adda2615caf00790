#include "kermit/kermit_codec.h"

#include "kermit/kermit_link.h"

#include <algorithm>

namespace korlink {

KermitPrefixes sendingPrefixes(const KermitSettings &settings) {
    return {settings.asked.qctl, settings.inUse.qbin, settings.inUse.rept};
}

KermitPrefixes receivingPrefixes(const KermitSettings &settings) {
    return {settings.inUse.qctl, settings.inUse.qbin, settings.inUse.rept};
}

namespace {

constexpr size_t longestRun = 94;

bool isPrefix(const KermitPrefixes &p, int c) {
    return c == p.qctl || (p.qbin != 0 && c == p.qbin) || (p.rept != 0 && c == p.rept);
}

size_t encodeByte(const KermitPrefixes &p, uint8_t byte, uint8_t *out) {
    size_t n = 0;
    int c = byte;
    if (p.qbin != 0 && (c & 0x80)) {
        out[n++] = static_cast<uint8_t>(p.qbin);
        c &= 0x7F;
    }
    int low = c & 0x7F;
    if (low < 32 || low == 127) {
        out[n++] = static_cast<uint8_t>(p.qctl);
        c = ctlFlip(c);
    } else if (isPrefix(p, low)) {
        out[n++] = static_cast<uint8_t>(p.qctl);
    }
    out[n++] = static_cast<uint8_t>(c);
    return n;
}

}  // namespace

size_t encodeData(const KermitPrefixes &prefixes, const uint8_t *in, size_t count, uint8_t *out,
                  size_t room, size_t &consumed) {
    size_t n = 0;
    consumed = 0;
    while (consumed < count && n + longestEncodedUnit <= room) {
        uint8_t byte = in[consumed];
        size_t run = 1;
        if (prefixes.rept != 0) {
            size_t limit = std::min(count - consumed, longestRun);
            while (run < limit && in[consumed + run] == byte) ++run;
        }
        if (run >= 3) {
            out[n++] = static_cast<uint8_t>(prefixes.rept);
            out[n++] = static_cast<uint8_t>(toChar(static_cast<int>(run)));
        } else {
            run = 1;
        }
        n += encodeByte(prefixes, byte, out + n);
        consumed += run;
    }
    return n;
}

int decodeData(const KermitPrefixes &p, const uint8_t *in, size_t length, uint8_t *out,
               size_t capacity) {
    size_t i = 0;
    size_t n = 0;
    while (i < length) {
        int c = in[i++];
        int count = 1;
        if (p.rept != 0 && c == p.rept) {
            if (i + 1 >= length) return -1;
            count = unChar(in[i++]);
            if (count < 0 || count > static_cast<int>(longestRun)) return -1;
            c = in[i++];
        }
        int eighth = 0;
        if (p.qbin != 0 && c == p.qbin) {
            if (i >= length) return -1;
            eighth = 0x80;
            c = in[i++];
        }
        if (c == p.qctl) {
            if (i >= length) return -1;
            c = in[i++];
            if (!isPrefix(p, c & 0x7F)) c = ctlFlip(c);
        }
        c |= eighth;
        if (static_cast<size_t>(count) > capacity - n) return -1;
        std::fill(out + n, out + n + count, static_cast<uint8_t>(c));
        n += static_cast<size_t>(count);
    }
    return static_cast<int>(n);
}

}  // namespace korlink
