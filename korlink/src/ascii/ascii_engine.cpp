#include "ascii/ascii_engine.h"

#include "ascii/ascii_capture.h"
#include "ascii/ascii_send.h"
#include "ascii/ascii_settings.h"

namespace korlink {
namespace {

bool prepare(Port &port) { return ensureAsciiSettings(port) != nullptr; }

int16_t receive(Port &io, PortHandle reportHandle, const TransferState &state) {
    int32_t done = captureAscii(io, reportHandle, state.bufferSize, state.callback);
    return done == 0 ? KORLINK_OK : done == KORLINK_E_NO_MEMORY ? KORLINK_E_NO_MEMORY : -1;
}

}  // namespace

const ProtocolEngine asciiEngine = {KORLINK_PROTO_ASCII, KORLINK_PROTO_ASCII, prepare, receive, sendAscii};

}  // namespace korlink
