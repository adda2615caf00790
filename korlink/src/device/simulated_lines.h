// Modem-status lines taken from a folder instead of the device, so that
// carrier, hang-up and carrier loss can be exercised on pseudo-terminals,
// which have no modem lines.
//
// When $KORLINK_LINES<n> names a folder, COM n reads each input line (CD,
// DSR, CTS, RI) from the file of that name in it: "1" is high, anything else
// low, and a line without a file is unreadable (-1), as on a pty. Every
// switch of DTR or RTS is written to the files DTR and RTS ("1" or "0"), so a
// simulated modem on the other side can follow them.
#pragma once

#include "frame/port.h"

#include <string>

namespace korlink {

// The folder named by $KORLINK_LINES<com>, or "" when none is set.
std::string simulatedLinesFolder(int com);

// The simulated state of the input line `bit` (TIOCM_CAR, TIOCM_DSR,
// TIOCM_CTS, TIOCM_RNG): 1, 0, or -1 when the folder has no file for it.
int32_t simulatedLine(const Port &port, int bit);

// Writes the output line `bit` (TIOCM_DTR, TIOCM_RTS) into the folder.
void recordSimulatedOutput(const Port &port, int bit, bool high);

}  // namespace korlink
