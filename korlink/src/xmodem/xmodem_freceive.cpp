// freceive: protocol dispatch, background receives, and COMMXferCancel.
#include "ascii/ascii_capture.h"
#include "ascii/ascii_settings.h"
#include "kermit/kermit_receive.h"
#include "kermit/kermit_settings.h"
#include "xmodem/xmodem_background.h"
#include "xmodem/xmodem_link.h"
#include "xmodem/xmodem_receive.h"
#include "xmodem/xmodem_settings.h"

namespace korlink {
namespace {

// Runs the receive on `io`. The B-protocol and ZMODEM families (101..103,
// 110) have no receive engine in this library yet: like a code outside the
// table, they receive nothing and give 0.
int16_t runReceive(Port &io, PortHandle reportHandle, const TransferState &state) {
    if (state.protocol == KORLINK_PROTO_ASCII) {
        int32_t done = captureAscii(io, reportHandle, state.bufferSize, state.callback);
        return done == 0 ? KORLINK_OK : done == KORLINK_E_NO_MEMORY ? KORLINK_E_NO_MEMORY : -1;
    }
    if (state.protocol == KORLINK_PROTO_KERMIT)
        return receiveKermit(io, reportHandle, state.bufferSize, state.callback);
    if (!isXmodemFamily(state.protocol)) return KORLINK_OK;
    int32_t done = receiveXmodemFamily(io, reportHandle, state.protocol, state.bufferSize,
                                       state.callback);
    if (done == KORLINK_E_NO_MEMORY) return KORLINK_E_NO_MEMORY;
    // Only a completed transfer counts as success: a disk or close failure
    // leaves an incomplete file, which the caller must not take for the data.
    return done == ST_ACK_SENT ? KORLINK_OK : -1;
}

}  // namespace
}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API int16_t freceive(PortHandle handle, int16_t protocol, int32_t bufferSize,
                             StatusCallback callback, int16_t background) {
    Port *port = checkPort(handle, "freceive()");
    if (!port) return KORLINK_E_NULL_PORT;
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    // The state lives on this stack (and in the worker's job): port->transfer
    // is the host's own slot (item 114) and is not touched.
    TransferState state{bufferSize, protocol, callback};
    // The settings record is shared with a background copy, so it must
    // exist before the copy is taken.
    if (isXmodemFamily(protocol) && !ensureXmodemSettings(*port)) return KORLINK_E_NO_MEMORY;
    if (protocol == KORLINK_PROTO_ASCII && !ensureAsciiSettings(*port)) return KORLINK_E_NO_MEMORY;
    if (protocol == KORLINK_PROTO_KERMIT && !ensureKermitSettings(*port)) return KORLINK_E_NO_MEMORY;
    if (background == 1) {
        bool started = startBackground(
            *port, [handle, state](Port &copy) { runReceive(copy, handle, state); },
            [](Port &) {});
        if (started) return KORLINK_OK;
    }
    return runReceive(*port, handle, state);
}

KORLINK_API int16_t COMMXferCancel(PortHandle handle) {
    Port *port = checkPort(handle, "COMMXferCancel()");
    if (!port) return KORLINK_E_NULL_PORT;
    if (port->windowHandle != 0) {
        postKey(port->cancelKey);
        return KORLINK_OK;
    }
    // A background transfer waits on its private copy: that is where the
    // request must land.
    if (!heldByBackground(*port) || !cancelBackground(*port)) storeShared(port->cancelPending, true);
    setCloseCode(KORLINK_E_CANCELLED);
    return KORLINK_OK;
}

}  // extern "C"
