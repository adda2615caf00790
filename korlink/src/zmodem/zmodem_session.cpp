#include "zmodem/zmodem_session.h"

#include "transfer/line_setup.h"

#include <new>

namespace korlink {
namespace {

// After a cancel the line is drained until it is quiet this long, at most
// for the limit.
constexpr int32_t drainQuietMs = 250;
constexpr int32_t drainLimitMs = 5000;

// The library's cancel sequence. A streaming peer may be held in a write,
// and may clear its input before it looks again: its data is taken until it
// stops, then it is told once more.
void cancelPeer(ZmodemLine &line) {
    TransferLink &link = line.link();
    c_txflush(link.handle(), 0);
    link.sendCancelSequence();
    const uint32_t until = tickMs() + drainLimitMs;
    bool streamed = false;
    while (link.waitByte(drainQuietMs) >= 0 && static_cast<int32_t>(until - tickMs()) > 0) streamed = true;
    if (streamed) link.sendCancelSequence();
}

}  // namespace

int16_t runZmodemSession(Port &io, PortHandle reportHandle, StatusCallback callback,
                         const std::function<ZmodemOutcome(ZmodemLine &)> &body) {
    ZmodemSettings *settings = ensureZmodemSettings(io);
    if (!settings) return KORLINK_E_NO_MEMORY;
    io.lastError = 0;
    TransferLineSetup setup(io);
    if (!setup.saved()) {
        io.lastError = KORLINK_E_NO_MEMORY;
        return -1;
    }
    ZmodemLine line(io, reportHandle, callback, *settings);
    ZmodemOutcome outcome;
    try {
        outcome = body(line);
    } catch (const std::bad_alloc &) {
        outcome.code = KORLINK_E_NO_MEMORY;
    }
    TransferLink &link = line.link();
    if (outcome.code == KORLINK_E_NULL_PORT || link.closed()) return KORLINK_E_NULL_PORT;
    // A peer that cancelled needs nothing; a dead line (output standing
    // still) takes nothing.
    if (outcome.code != 0 && outcome.code != ST_CANCELLED_REMOTE && outcome.tellPeer && !line.outputStuck())
        cancelPeer(line);
    link.discardInput();
    link.report(ST_FINISHED, 1);
    io.lastError = static_cast<int16_t>(outcome.code);
    return outcome.code == 0 ? 0 : -1;
}

}  // namespace korlink
