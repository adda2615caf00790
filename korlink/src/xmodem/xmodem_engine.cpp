#include "xmodem/xmodem_engine.h"

#include "transfer/transfer_status.h"
#include "xmodem/xmodem_receive.h"
#include "xmodem/xmodem_send.h"
#include "xmodem/xmodem_settings.h"

namespace korlink {
namespace {

bool prepare(Port &port) { return ensureXmodemSettings(port) != nullptr; }

int16_t receive(Port &io, PortHandle reportHandle, const TransferState &state) {
    int32_t done = receiveXmodemFamily(io, reportHandle, state.protocol, state.bufferSize,
                                       state.callback);
    if (done == KORLINK_E_NO_MEMORY) return KORLINK_E_NO_MEMORY;
    if (done == KORLINK_E_NULL_PORT) return KORLINK_E_NULL_PORT;  // closed by the host
    // Only a completed transfer counts as success: a disk or close failure
    // leaves an incomplete file, which the caller must not take for the data.
    return done == ST_ACK_SENT ? KORLINK_OK : -1;
}

int16_t send(Port &io, PortHandle reportHandle, SendQueue &queue) {
    return sendXmodemFamily(io, reportHandle, queue) < 0 ? -1 : 0;
}

}  // namespace

const ProtocolEngine xmodemEngine = {KORLINK_PROTO_XMODEM, KORLINK_PROTO_YMODEM_G, prepare, receive, send};

}  // namespace korlink
