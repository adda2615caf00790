// fsend: sends a send queue with a transfer protocol, in the foreground or on
// a worker thread; the queue is used up whatever the outcome.
#include "transfer/background.h"
#include "transfer/protocol_table.h"
#include "transfer/send_queue.h"
#include "transfer/transfer_status.h"

namespace korlink {
namespace {

// A protocol without a send engine (a code outside the table, or the
// B-protocol and ZMODEM families, not built yet) sends nothing and fails with
// last error -103.
int16_t runSend(Port &io, PortHandle reportHandle, int16_t queueNumber) {
    SendQueue *queue = findSendQueue(queueNumber);
    if (!queue) return -1;
    if (queue->callback)
        queue->callback(reportHandle, ST_QUEUED, static_cast<intptr_t>(queue->names.size()));
    if (io.closedByHost) return KORLINK_E_NULL_PORT;
    const ProtocolEngine *engine = findProtocolEngine(queue->protocol);
    if (engine == nullptr || engine->send == nullptr) {
        io.lastError = KORLINK_E_BAD_ARG2;
        return -1;
    }
    return engine->send(io, reportHandle, *queue);
}

void endSend(Port &host) {
    discardSendQueue(host.sendQueue);
    host.sendQueue = -1;
}

}  // namespace
}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API int16_t fsend(PortHandle handle, int16_t queueNumber, int16_t protocol,
                          int32_t bufferSize, StatusCallback callback, int16_t background) {
    Port *port = checkPort(handle, "fsend()");
    if (!port) return KORLINK_E_NULL_PORT;
    if (heldByBackground(*port)) return KORLINK_E_LOCKED;
    // Refused when another port's background fsend sends this queue: the
    // queue stays that send's own.
    int16_t refusal = KORLINK_OK;
    SendQueue *queue = claimSendQueue(queueNumber, refusal);
    if (!queue) return refusal;
    port->sendQueue = queueNumber;
    if (queue->names.empty()) {
        endSend(*port);
        port->lastError = KORLINK_E_FILE;
        return -1;
    }
    queue->bufferSize = bufferSize;
    queue->protocol = protocol;
    queue->callback = callback;
    // Shared with a background copy: it must exist before the copy is taken.
    const ProtocolEngine *engine = findProtocolEngine(protocol);
    if (engine != nullptr && engine->send != nullptr && !engine->prepare(*port)) {
        endSend(*port);
        return KORLINK_E_NO_MEMORY;
    }
    if (background == 1) {
        bool started = startBackground(
            *port, [handle, queueNumber](Port &copy) { runSend(copy, handle, queueNumber); },
            endSend);
        if (started) return KORLINK_OK;
    }
    // The pump and the status callback may close the port meanwhile.
    PortCall call(*port);
    int16_t result = runSend(*port, handle, queueNumber);
    endSend(*port);
    return port->closedByHost ? int16_t{KORLINK_E_NULL_PORT} : result;
}

}  // extern "C"
