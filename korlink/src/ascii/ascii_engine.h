// The ASCII protocol's entry in the protocol table (protocol 100: capture
// and send).
#pragma once

#include "transfer/protocol_table.h"

namespace korlink {

extern const ProtocolEngine asciiEngine;

}  // namespace korlink
