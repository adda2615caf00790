// Shared pieces of the byte operations: the handle check every byte export
// starts with, and the byte translations of the transmit and receive options.
#pragma once

#include "frame/port.h"

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

// The per-byte paths of the exports on a port already validated, so a byte
// costs one handle check, not one per step.

// c_waitc: the next byte (or `wanted`), -1 on time-out, -123, -112, or -102
// when the host closed the port meanwhile.
int16_t waitByte(Port &port, int16_t wanted, int32_t timeoutMs);

// c_getc with an explicit time-out (0: no wait): the byte after the string
// watch and the receive options, or a negative code. `portGone` is set when
// a watch callback or receive hook closed the port; the byte that triggered
// it is returned as it was, and the port must not be touched again.
int16_t getByte(Port &port, int32_t timeoutMs, bool &portGone);

// COMMWatchUpdate and COMMWatchCheck. watchCheck sets `portGone` when a
// callback closed the port and then returns at once.
void watchUpdate(Port &port, int byte);
int16_t watchCheck(Port &port, bool &portGone);

}  // namespace korlink
