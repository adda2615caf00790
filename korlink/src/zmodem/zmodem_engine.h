// ZMODEM's entry in the protocol table (protocol 110).
#pragma once

#include "transfer/protocol_table.h"

namespace korlink {

extern const ProtocolEngine zmodemEngine;

}  // namespace korlink
