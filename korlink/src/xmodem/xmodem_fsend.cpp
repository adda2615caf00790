// fsend: sends a send queue with a transfer protocol, in the foreground or on
// a worker thread; the queue is used up whatever the outcome.
#include "kermit/kermit_send.h"
#include "kermit/kermit_settings.h"
#include "transfer/send_queue.h"
#include "xmodem/xmodem_background.h"
#include "xmodem/xmodem_link.h"
#include "xmodem/xmodem_send.h"
#include "xmodem/xmodem_settings.h"

namespace korlink {
namespace {

// The ASCII, B-protocol and ZMODEM families have no send engine in
// this library yet; like a code outside the table they fail with -1.
int16_t runSend(Port &io, PortHandle reportHandle, int16_t queueNumber) {
    SendQueue *queue = findSendQueue(queueNumber);
    if (!queue) return -1;
    if (queue->callback)
        queue->callback(reportHandle, ST_QUEUED, static_cast<intptr_t>(queue->names.size()));
    if (queue->protocol == KORLINK_PROTO_KERMIT) return sendKermit(io, reportHandle, *queue);
    if (!isXmodemFamily(queue->protocol)) return -1;
    return sendXmodemFamily(io, reportHandle, *queue) < 0 ? -1 : 0;
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
    if (isXmodemFamily(protocol) && !ensureXmodemSettings(*port)) {
        endSend(*port);
        return KORLINK_E_NO_MEMORY;
    }
    if (protocol == KORLINK_PROTO_KERMIT && !ensureKermitSettings(*port)) {
        endSend(*port);
        return KORLINK_E_NO_MEMORY;
    }
    if (background == 1) {
        bool started = startBackground(
            *port, [handle, queueNumber](Port &copy) { runSend(copy, handle, queueNumber); },
            endSend);
        if (started) return KORLINK_OK;
    }
    int16_t result = runSend(*port, handle, queueNumber);
    endSend(*port);
    return result;
}

}  // extern "C"
