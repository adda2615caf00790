// Reading a serial reply without waiting.
#pragma once

#include <string>

#include "korlink.h"

namespace trelm {

// Every byte waiting in the open port's receive queue, in arrival order, one
// character per byte. Returns at once, with empty text when nothing waits;
// never waits for bytes to arrive.
std::string fill_str(PortHandle port);

} // namespace trelm
