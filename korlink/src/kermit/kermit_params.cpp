#include "kermit/kermit_params.h"

#include "kermit/kermit_link.h"

namespace korlink {

int offeredQbin(const KermitSettings &settings) {
    if (settings.asked.qbin == 'N') return 'N';
    return settings.parity ? settings.asked.qbin : 'Y';
}

int offeredCheck(const KermitSettings &settings) {
    int asked = settings.asked.chkt;
    return asked == '2' || asked == '3' ? asked : '1';
}

size_t buildSendInit(const KermitSettings &settings, int check, uint8_t out[9]) {
    const KermitParams &ask = settings.asked;
    out[0] = static_cast<uint8_t>(toChar(ask.maxl));
    out[1] = static_cast<uint8_t>(toChar(ask.time));
    out[2] = static_cast<uint8_t>(toChar(ask.npad));
    out[3] = static_cast<uint8_t>(ctlFlip(ask.padc));
    out[4] = static_cast<uint8_t>(toChar(ask.eol));
    out[5] = static_cast<uint8_t>(ask.qctl);
    out[6] = static_cast<uint8_t>(offeredQbin(settings));
    out[7] = static_cast<uint8_t>(check);
    out[8] = static_cast<uint8_t>(ask.rept);
    return 9;
}

namespace {

// The eighth-bit prefix both sides agree on, or 0 for none.
int agreedQbin(int ours, int peer) {
    if (ours == 'N') return 0;
    if (peer == 'Y' && validPrefix(ours)) return ours;
    if (validPrefix(peer) && (peer == ours || ours == 'Y')) return peer;
    return 0;
}

int agreedCheck(int ours, int peer, InitFrom from) {
    bool usable = peer == '1' || peer == '2' || peer == '3';
    if (from == InitFrom::Sender) return usable && peer <= ours ? peer : '1';
    return peer == ours ? ours : '1';
}

}  // namespace

int applyPeerParams(KermitSettings &settings, const uint8_t *data, size_t length, InitFrom from) {
    KermitParams &use = settings.inUse;
    // A field the peer leaves out is absent: -1000 stands for it.
    auto field = [&](size_t index) { return index < length ? static_cast<int>(data[index]) : -1000; };
    int maxl = unChar(field(0));
    use.maxl = static_cast<int16_t>(maxl < 10 || maxl > kermitMaxLen ? 80 : maxl);
    int time = unChar(field(1));
    use.time = static_cast<int16_t>(time < 0 ? 5 : time);
    int npad = unChar(field(2));
    use.npad = static_cast<int16_t>(npad < 0 ? 0 : npad);
    use.padc = static_cast<int16_t>(field(3) < 0 ? 0 : ctlFlip(field(3)));
    int eol = unChar(field(4));
    use.eol = static_cast<int16_t>(eol < 2 || eol >= 32 ? 13 : eol);
    if (validPrefix(field(5))) use.qctl = static_cast<int16_t>(field(5));
    use.qbin = static_cast<int16_t>(agreedQbin(offeredQbin(settings), field(6)));
    bool repeat = validPrefix(field(8)) && validPrefix(settings.asked.rept);
    use.rept = static_cast<int16_t>(repeat ? field(8) : 0);
    return agreedCheck(offeredCheck(settings), field(7), from);
}

}  // namespace korlink
