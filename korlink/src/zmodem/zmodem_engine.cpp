#include "zmodem/zmodem_engine.h"

#include "zmodem/zmodem_receive.h"
#include "zmodem/zmodem_send.h"
#include "zmodem/zmodem_settings.h"

namespace korlink {
namespace {

bool prepare(Port &port) { return ensureZmodemSettings(port) != nullptr; }

int16_t receive(Port &io, PortHandle reportHandle, const TransferState &state) {
    return receiveZmodem(io, reportHandle, state.bufferSize, state.callback);
}

}  // namespace

const ProtocolEngine zmodemEngine = {KORLINK_PROTO_ZMODEM, KORLINK_PROTO_ZMODEM, prepare, receive, sendZmodem};

}  // namespace korlink
