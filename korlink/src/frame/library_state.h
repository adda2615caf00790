// Library-wide state beyond what port.h declares: report switch, library
// error reader, deadline test, the port table.
#pragma once

#include "frame/port.h"

namespace korlink {

inline constexpr const char *kReportTitle = "Quorvelt Reporting Runtime Error";

// Returns the library-wide last error and sets it to 0.
int32_t takeLibraryError();

// The report switch (port item 115): 1 at load.
bool reportSwitch();
void setReportSwitch(bool on);

// True once the tick has reached `deadline` (wrap-around safe).
bool tickReached(uint32_t deadline);

// The 32-slot port table.
inline constexpr int kPortSlots = 32;
int16_t registerPort(Port &port);     // 0, -111 or -117
int16_t unregisterPort(Port &port);   // 0 or -121
// True while `port` holds its slot (a background copy never does).
bool inPortTable(const Port &port);

// A new port object with its receive buffer, or nullptr without memory; both
// sizes are raised to a workable minimum. deletePort frees both.
Port *newPort(int16_t rxBufferSize, int16_t txBufferSize);
void deletePort(Port *port);

}  // namespace korlink
