#include "kermit/kermit_engine.h"

#include "kermit/kermit_receive.h"
#include "kermit/kermit_send.h"
#include "kermit/kermit_settings.h"

namespace korlink {
namespace {

bool prepare(Port &port) { return ensureKermitSettings(port) != nullptr; }

int16_t receive(Port &io, PortHandle reportHandle, const TransferState &state) {
    return receiveKermit(io, reportHandle, state.bufferSize, state.callback);
}

}  // namespace

const ProtocolEngine kermitEngine = {KORLINK_PROTO_KERMIT, KORLINK_PROTO_KERMIT, prepare, receive, sendKermit};

}  // namespace korlink
