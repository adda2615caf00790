// The XMODEM family's entry in the protocol table (protocols 105 to 109).
#pragma once

#include "transfer/protocol_table.h"

namespace korlink {

extern const ProtocolEngine xmodemEngine;

}  // namespace korlink
