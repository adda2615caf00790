// The protocol table: which engine freceive and fsend run for a protocol code.
// Each protocol folder declares its one entry in its own engine header; the
// table that gathers them lives above every protocol (families/), so the
// dispatch here never includes a protocol and no protocol includes another.
#pragma once

#include "frame/port.h"
#include "transfer/send_queue.h"
#include "transfer/transfer_state.h"

#include <cstdint>

namespace korlink {

struct ProtocolEngine {
    int16_t firstCode;             // the protocol codes this engine runs
    int16_t lastCode;
    // Creates the port's settings record with its defaults; false only when
    // memory runs out. Runs before a background copy is taken, which shares it.
    bool (*prepare)(Port &port);
    // Receives on `io` (the host's port or a private copy); reports name
    // `reportHandle`. The result of freceive. Null: no receive engine.
    int16_t (*receive)(Port &io, PortHandle reportHandle, const TransferState &state);
    // Sends the queue's files on `io`; the result of fsend. Null: no send engine.
    int16_t (*send)(Port &io, PortHandle reportHandle, SendQueue &queue);
};

// The engine for `protocol`, or nullptr when no engine runs that code.
const ProtocolEngine *findProtocolEngine(int16_t protocol);

}  // namespace korlink
