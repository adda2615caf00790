// The protocol table: one entry per protocol folder, each taken from that
// folder's engine header.
#include "transfer/protocol_table.h"

#include "ascii/ascii_engine.h"
#include "kermit/kermit_engine.h"
#include "xmodem/xmodem_engine.h"
#include "zmodem/zmodem_engine.h"

namespace korlink {

namespace {
const ProtocolEngine *const kEngines[] = {&asciiEngine, &kermitEngine, &xmodemEngine, &zmodemEngine};
}  // namespace

const ProtocolEngine *findProtocolEngine(int16_t protocol) {
    for (const ProtocolEngine *engine : kEngines)
        if (protocol >= engine->firstCode && protocol <= engine->lastCode) return engine;
    return nullptr;
}

}  // namespace korlink
