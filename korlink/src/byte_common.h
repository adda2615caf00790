// Shared pieces of the byte operations: the handle check every byte export
// starts with, and the byte translations of the transmit and receive options.
#pragma once

#include "port.h"

namespace korlink {

// The live port of a byte operation, or nullptr with `refusal` set: -102 for a
// null or dead handle (reported), -122 while a background transfer holds it
// (the device is not touched).
Port *bytePort(PortHandle handle, const char *function, int16_t &refusal);

// The result of a line-ending mode for one byte: `first` is the byte to pass
// on (-1: swallowed), `second` an extra byte to pass on after it (-1: none).
struct LineEndingResult {
    int first;
    int second;
};

// `previous` is the byte that came before `byte` (as given, before any
// translation), so a CR LF pair can be recognised.
LineEndingResult translateLineEnding(int mode, int previous, int byte);

int convertCase(int mode, int byte);

}  // namespace korlink
