// ASCII capture's entry in the protocol table (protocol 100, receive only).
#pragma once

#include "transfer/protocol_table.h"

namespace korlink {

extern const ProtocolEngine asciiEngine;

}  // namespace korlink
