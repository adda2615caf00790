// Kermit's entry in the protocol table (protocol 104).
#pragma once

#include "transfer/protocol_table.h"

namespace korlink {

extern const ProtocolEngine kermitEngine;

}  // namespace korlink
