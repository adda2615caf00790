// freceive: protocol dispatch through the protocol table, background
// receives, and COMMXferCancel.
#include "transfer/background.h"
#include "transfer/protocol_table.h"

namespace korlink {
namespace {

// Runs the receive on `io`. A protocol without a receive engine (a code
// outside the table, or the B-protocol and ZMODEM families, not built yet)
// receives nothing and fails with last error -103: a result of 0 would tell
// the host a file had come.
int16_t runReceive(Port &io, PortHandle reportHandle, const TransferState &state) {
    const ProtocolEngine *engine = findProtocolEngine(state.protocol);
    if (engine == nullptr || engine->receive == nullptr) {
        io.lastError = KORLINK_E_BAD_ARG2;
        return -1;
    }
    return engine->receive(io, reportHandle, state);
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
    const ProtocolEngine *engine = findProtocolEngine(protocol);
    if (engine != nullptr && engine->receive != nullptr && !engine->prepare(*port))
        return KORLINK_E_NO_MEMORY;
    if (background == 1) {
        bool started = startBackground(
            *port, [handle, state](Port &copy) { runReceive(copy, handle, state); },
            [](Port &) {});
        if (started) return KORLINK_OK;
    }
    // The pump and the status callback may close the port meanwhile.
    PortCall call(*port);
    int16_t result = runReceive(*port, handle, state);
    return port->closedByHost ? int16_t{KORLINK_E_NULL_PORT} : result;
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
