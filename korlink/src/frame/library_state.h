// Library-wide state beyond what port.h declares: report switch, library
// error reader, deadline test.
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

}  // namespace korlink
