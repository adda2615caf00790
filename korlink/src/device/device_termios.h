// The termios backend: serial devices and pseudo-terminals.
#pragma once

#include "frame/port.h"

namespace korlink {

// Opens the device that stands for COM `com` ($KORLINK_COM<com>, else
// /dev/ttyS<com-1>) exclusively and non-blocking and points the port at the
// termios operations; 0 or -117.
int openTermiosDevice(Port &port, int com);

}  // namespace korlink
